#include "tools/publish/ReleaseSigning.h"

#include "tools/publish/KeyFile.h"

std::string MakeReleaseSig(const SigningRequest& request, const std::vector<ReleaseFile>& files,
                           const std::string& versionText, const std::string& listText,
                           std::string& error) {
    ReleaseManifest manifest;
    manifest.release = request.release;
    manifest.expires = request.expires;
    manifest.stamp = ParseVersionText(versionText).stamp;
    manifest.versionSha256 = Sha256Of(versionText);
    manifest.listSha256 = Sha256Of(listText);
    for (const ReleaseFile& file : files)
        manifest.files.push_back({file.entry.name, file.sha256});
    const std::string text = SignRelease(manifest, request.secretKey);
    SignedRelease check;
    if (text.empty() ||
        VerifyRelease(text, {PublicKeyOf(request.secretKey)}, request.expires - 1, request.release,
                      versionText, check) != ReleaseVerdict::Accepted ||
        CheckSignedFileList(check.manifest, listText) != ReleaseVerdict::Accepted) {
        error = "the signed release does not verify";
        return {};
    }
    return text;
}
