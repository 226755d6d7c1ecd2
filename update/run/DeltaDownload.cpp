#include "update/run/DeltaDownload.h"

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <memory>
#include <optional>

#include "base/Handles.h"
#include "update/net/DownloadSession.h"
#include "update/net/StopSignal.h"
#include "update/sinks/TempFileSink.h"
#include "update/sinks/MappedFile.h"
#include "update/format/PatchIndex.h"
#include "update/sinks/PatchSink.h"
#include "update/run/ReleaseCheck.h"
#include "update/log/UpdateLog.h"
#include "update/run/UpdateStore.h"
#include "update/sinks/ZstdDecodeSink.h"

namespace {

using Outcome = DeltaFetch::Outcome;

struct Offer {
    std::string path;  // below the mirror's root
    uint64_t size = 0;
    std::unique_ptr<MappedFile> base;  // a patch's old file; null for a compressed copy
};

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// The patch from the local copy, else the compressed copy, else nothing.
std::optional<Offer> Choose(const PatchIndex& index, const FileRecord& record,
                            const std::string& target) {
    const std::string md5 = Lower(record.m_sMd5);
    const uint64_t size = static_cast<uint64_t>(record.m_nSize);
    const auto patch = index.patches.find({md5, record.m_sLocalMd5});
    // Both files are mapped whole, so the pair must fit the address space;
    // a base too large, or that cannot be mapped, gets the compressed copy.
    if (patch != index.patches.end() && size < kPatchPairCap) {
        std::unique_ptr<MappedFile> base = MappedFile::OpenReadOnly(target, kPatchPairCap - size);
        if (base)
            return Offer{PatchObjectPath(md5, record.m_sLocalMd5), patch->second, std::move(base)};
    }
    const auto compressed = index.compressed.find(md5);
    if (compressed != index.compressed.end())
        return Offer{CompressedObjectPath(md5), compressed->second, nullptr};
    return std::nullopt;
}

struct Attempt {
    Outcome outcome = Outcome::Failed;
    std::string why;  // for the log, when failed
};

Attempt Failed(std::string why) {
    return {Outcome::Failed, std::move(why)};
}

class DeltaFetcher {
public:
    DeltaFetcher(const CUpdateStore& store, StopSignal& stop, const FileRecord& record,
                 const std::string& temp, size_t blockSize, const DeltaProgress& onBlock)
        : m_store(store),
          m_stop(stop),
          m_record(record),
          m_temp(temp),
          m_blockSize(blockSize),
          m_onBlock(onBlock),
          m_digest(DownloadDigest(store)) {}

    Attempt Fetch(const Offer& offer, DeltaFetch& result) {
        m_response = m_store.Session().Open(m_store.m_sMirrorUrl + offer.path, false, 0, &m_stop);
        if (!m_response)
            return {m_stop.IsStopped() ? Outcome::Stopped : Outcome::Failed, "no answer"};
        const DWORD status = m_response->StatusCode();
        if (status != 200)
            return Failed("status " + std::to_string(status));
        // The index's size is a cap: a longer body is not read at all, or
        // not beyond it when its length is not announced.
        uint64_t length = 0;
        if (m_response->QueryContentLength(length) && length != offer.size)
            return Failed("length " + std::to_string(length));
        Attempt attempt = offer.base ? Patch(offer, result) : Decode(offer, result);
        if (attempt.outcome != Outcome::Fetched)
            return attempt;
        if (!IsDownloadAsListed(m_store, m_record, result.md5, result.sha256))
            return Failed(m_digest == FileDigest::Sha256 ? "signed digest" : "digest");
        return attempt;
    }

private:
    Attempt Patch(const Offer& offer, DeltaFetch& result) {
        const uint64_t size = static_cast<uint64_t>(m_record.m_nSize);
        PatchSink sink(*offer.base, m_temp, size, m_digest);
        if (Attempt read = Receive(sink, offer.size); read.outcome != Outcome::Fetched)
            return sink.DiskFull() ? Attempt{Outcome::DiskFull, "disk full"} : read;
        if (!sink.Finish())
            return Failed("patch");
        result = {Outcome::Fetched, size, sink.Digests().Md5Hex(), sink.Digests().Sha256()};
        return {Outcome::Fetched, ""};
    }

    Attempt Decode(const Offer& offer, DeltaFetch& result) {
        const uint64_t size = static_cast<uint64_t>(m_record.m_nSize);
        Base::UniqueKernelHandle out(::CreateFileA(m_temp.c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                                                   nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                                   nullptr));
        if (!out)
            return Failed("create");
        TempFileSink file(out.get(), m_digest);
        ZstdDecodeSink sink(file, size);
        Attempt read = Receive(sink, offer.size);
        file.Finish();
        if (read.outcome != Outcome::Fetched)
            return file.DiskFull() ? Attempt{Outcome::DiskFull, "disk full"} : read;
        if (!sink.IsComplete())
            return Failed("compressed");
        if (!::FlushFileBuffers(out.get())) {
            return IsDiskFullError(::GetLastError()) ? Attempt{Outcome::DiskFull, "disk full"}
                                                     : Failed("flush");
        }
        result = {Outcome::Fetched, size, file.Digests().Md5Hex(), file.Digests().Sha256()};
        return {Outcome::Fetched, ""};
    }

    Attempt Receive(IDownloadSink& sink, uint64_t objectSize) {
        CappedSink capped(sink, objectSize);
        uint64_t received = 0;
        const ReadResult read = m_response->ReadInto(capped, m_blockSize, [&](size_t got) {
            received += got;
            m_onBlock(got, received, objectSize);
        });
        m_response->Close();
        if (read == ReadResult::Stopped)
            return {Outcome::Stopped, ""};
        if (capped.IsOver())
            return Failed("over its size");
        // The decoder (or the disk) refused a block: a wrong base, a
        // damaged object.
        if (read == ReadResult::WriteFailed)
            return Failed("refused");
        if (read != ReadResult::Complete || received != objectSize)
            return Failed("incomplete");
        return {Outcome::Fetched, ""};
    }

    const CUpdateStore& m_store;
    StopSignal& m_stop;
    const FileRecord& m_record;
    const std::string& m_temp;
    const size_t m_blockSize;
    const DeltaProgress& m_onBlock;
    const FileDigest m_digest;
    std::unique_ptr<CHttpFile> m_response;
};

}  // namespace

DeltaFetch FetchDelta(const CUpdateStore& store, StopSignal& stop, const FileRecord& record,
                      const std::string& target, const std::string& temp, size_t blockSize,
                      const DeltaProgress& onBlock) {
    // An empty file is fetched through its object too: a cache in front of
    // the mirror may hold older bytes under its plain name.
    if (!store.m_pPatchIndex || record.m_nSize < 0)
        return {};
    std::optional<Offer> offer = Choose(*store.m_pPatchIndex, record, target);
    if (!offer)
        return {};
    DeltaFetch result;
    const Attempt attempt =
        DeltaFetcher(store, stop, record, temp, blockSize, onBlock).Fetch(*offer, result);
    if (attempt.outcome == Outcome::Fetched)
        return result;
    ::DeleteFileA(temp.c_str());
    if (attempt.outcome != Outcome::Stopped)
        AppendUpdateLog("DeltaFailed: " + attempt.why + " " + store.m_sMirrorUrl + offer->path);
    result.outcome = attempt.outcome;
    return result;
}
