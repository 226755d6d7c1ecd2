// The manager's skin resources: window-level values, fonts, the image cache,
// default attribute lists and option groups.
#include <cstring>
#include <utility>

#include "ui/core/Render.h"
#include "ui/core/WindowManager.h"
#include "ui/package/ImageDecode.h"
#include "ui/package/ResourceLoader.h"

namespace SkinUI {

namespace {

// The look of text when the skin names no font.
constexpr char kDefaultFace[] = "微软雅黑";
constexpr int kDefaultFontSize = 12;

void MakeFont(TFontInfo& info, HDC dc, const char* faceName, int size, bool bold, bool underline,
              bool italic) {
    LOGFONTA lf = {};
    lf.lfHeight = -size;
    lf.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    lf.lfUnderline = underline ? TRUE : FALSE;
    lf.lfItalic = italic ? TRUE : FALSE;
    // Chinese texts are GBK; asking for that character set also makes the
    // font mapper fall back to an installed Chinese face.
    lf.lfCharSet = GB2312_CHARSET;
    lf.lfQuality = ANTIALIASED_QUALITY;
    lstrcpynA(lf.lfFaceName, faceName ? faceName : kDefaultFace, LF_FACESIZE);
    info.font.reset(::CreateFontIndirectA(&lf));
    info.faceName = lf.lfFaceName;
    info.size = size;
    info.bold = bold;
    info.underline = underline;
    info.italic = italic;
    if (dc && info.font) {
        HGDIOBJ old = ::SelectObject(dc, info.font.get());
        ::GetTextMetricsA(dc, &info.metrics);
        ::SelectObject(dc, old);
    }
}

}  // namespace

void CWindowManagerUI::SetInitSize(int cx, int cy) {
    m_szInitWindowSize = SIZE{cx, cy};
    // The skin decides the window's size until a tree is attached.
    if (!m_pRoot && m_hWndPaint && cx > 0 && cy > 0) {
        ::SetWindowPos(m_hWndPaint, nullptr, 0, 0, cx, cy,
                       SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
    }
}

void CWindowManagerUI::SetTransparent(int alpha) {
    if (!m_hWndPaint || alpha < 0 || alpha > 255)
        return;
    const LONG exStyle = ::GetWindowLongA(m_hWndPaint, GWL_EXSTYLE);
    if (alpha == 255) {
        ::SetWindowLongA(m_hWndPaint, GWL_EXSTYLE, exStyle & ~WS_EX_LAYERED);
        return;
    }
    ::SetWindowLongA(m_hWndPaint, GWL_EXSTYLE, exStyle | WS_EX_LAYERED);
    ::SetLayeredWindowAttributes(m_hWndPaint, 0, static_cast<BYTE>(alpha), LWA_ALPHA);
}

int CWindowManagerUI::AddFont(const char* faceName, int size, bool bold, bool underline,
                              bool italic) {
    auto info = std::make_unique<TFontInfo>();
    MakeFont(*info, m_paintDc.get(), faceName, size, bold, underline, italic);
    m_aFonts.push_back(std::move(info));
    return static_cast<int>(m_aFonts.size()) - 1;
}

void CWindowManagerUI::SetDefaultFont(const char* faceName, int size, bool bold, bool underline,
                                      bool italic) {
    MakeFont(m_defaultFont, m_paintDc.get(), faceName, size, bold, underline, italic);
}

HFONT CWindowManagerUI::GetFont(int index) {
    if (index >= 0 && index < static_cast<int>(m_aFonts.size())) {
        return m_aFonts[index]->font.get();
    }
    if (!m_defaultFont.font)
        SetDefaultFont(kDefaultFace, kDefaultFontSize, false, false, false);
    return m_defaultFont.font.get();
}

const TEXTMETRICA& CWindowManagerUI::GetFontMetrics(int index) {
    if (index >= 0 && index < static_cast<int>(m_aFonts.size())) {
        return m_aFonts[index]->metrics;
    }
    GetFont(-1);
    return m_defaultFont.metrics;
}

const TImageInfo* CWindowManagerUI::GetImage(const std::string& name) {
    const auto declared = m_mImageMasks.find(name);
    return GetImage(name, declared == m_mImageMasks.end() ? 0 : declared->second);
}

const TImageInfo* CWindowManagerUI::AddImage(const std::string& name, DWORD mask) {
    // The first declaration of a file stands, as its first load did.
    m_mImageMasks.emplace(name, mask);
    return GetImage(name);
}

const TImageInfo* CWindowManagerUI::GetImage(const std::string& name, DWORD mask) {
    const auto key = std::make_pair(name, mask);
    const auto found = m_mImages.find(key);
    // A failed load is remembered too, so a missing image is looked for once.
    if (found != m_mImages.end())
        return found->second ? found->second.get() : nullptr;
    std::unique_ptr<TImageInfo>& slot = m_mImages[key];
    const ResourceSource source{GetResourcePath(), GetResourcePackage(),
                                GetResourcePackagePassword()};
    std::string bytes;
    DecodedImage decoded;
    if (!LoadImageBytes(source, name, bytes) || !DecodeImage(bytes, mask, decoded)) {
        return nullptr;
    }
    void* bits = nullptr;
    UniqueBitmap bitmap(Render::CreateTopDownDib(nullptr, decoded.width, decoded.height, &bits));
    if (!bitmap)
        return nullptr;
    std::memcpy(bits, decoded.pixels.data(), decoded.pixels.size() * sizeof(uint32_t));
    auto info = std::make_unique<TImageInfo>();
    info->bitmap = std::move(bitmap);
    info->width = decoded.width;
    info->height = decoded.height;
    info->alpha = decoded.alpha;
    slot = std::move(info);
    return slot.get();
}

void CWindowManagerUI::AddDefaultAttributeList(const char* controlName, const char* attributes) {
    if (!controlName || !attributes)
        return;
    m_mDefaultAttributes[controlName] = attributes;
}

std::string CWindowManagerUI::GetDefaultAttributeList(const char* controlName) const {
    if (!controlName)
        return {};
    const auto it = m_mDefaultAttributes.find(controlName);
    return it == m_mDefaultAttributes.end() ? std::string() : it->second;
}

bool CWindowManagerUI::AddOptionGroup(const char* group, CControlUI* control) {
    if (!group || !*group || !control)
        return false;
    std::vector<CControlUI*>& members = m_mOptionGroups[group];
    for (CControlUI* member : members) {
        if (member == control)
            return false;
    }
    members.push_back(control);
    return true;
}

const std::vector<CControlUI*>* CWindowManagerUI::GetOptionGroup(const char* group) const {
    if (!group)
        return nullptr;
    const auto it = m_mOptionGroups.find(group);
    return it == m_mOptionGroups.end() ? nullptr : &it->second;
}

void CWindowManagerUI::RemoveOptionGroup(const char* group, CControlUI* control) {
    if (!group)
        return;
    const auto it = m_mOptionGroups.find(group);
    if (it == m_mOptionGroups.end())
        return;
    std::vector<CControlUI*>& members = it->second;
    for (size_t i = 0; i < members.size(); ++i) {
        if (members[i] == control) {
            members.erase(members.begin() + static_cast<long>(i));
            break;
        }
    }
    if (members.empty())
        m_mOptionGroups.erase(it);
}

}  // namespace SkinUI
