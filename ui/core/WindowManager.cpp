#include "ui/core/WindowManager.h"

#include <algorithm>

#include "base/ProgramFolder.h"

#include "ui/core/ManagerPostedMessages.h"

#include "ui/package/PlainPackage.h"

namespace SkinUI {

namespace {

struct ProcessSettings {
    HINSTANCE instance = nullptr;
    std::string resourcePath;
    std::string packageName;
    std::string packagePassword;
    bool packageCached = false;
    std::vector<CWindowManagerUI*> liveManagers;
};

ProcessSettings& Process() {
    static ProcessSettings settings;
    return settings;
}

CControlUI* CALLBACK CollectNamed(CControlUI* control, LPVOID data) {
    auto* map = static_cast<std::unordered_map<std::string, CControlUI*>*>(data);
    const std::string name = control->GetName();
    if (!name.empty())
        map->emplace(name, control);
    return nullptr;
}

struct ManagerOf {
    CWindowManagerUI* manager;
    CControlUI* parent;
};

CControlUI* CALLBACK AttachToManager(CControlUI* control, LPVOID data) {
    auto* target = static_cast<ManagerOf*>(data);
    if (control->GetManager() != target->manager) {
        control->SetManager(target->manager, control->GetParent(), false);
    }
    return nullptr;
}

// Attributes are all applied by now, so a control can set itself up from them
// (a hosted COM control creates its object).
CControlUI* CALLBACK InitEach(CControlUI* control, LPVOID) {
    control->DoInit();
    return nullptr;
}

CControlUI* CALLBACK FirstHit(CControlUI* control, LPVOID) {
    return control;
}

}  // namespace

CWindowManagerUI::CWindowManagerUI() = default;

CWindowManagerUI::~CWindowManagerUI() {
    ReapDelayedCleanup();
    delete m_pRoot;
    m_pRoot = nullptr;
    auto& live = Process().liveManagers;
    live.erase(std::remove(live.begin(), live.end(), this), live.end());
}

void CWindowManagerUI::SetInstance(HINSTANCE instance) {
    Process().instance = instance;
}
HINSTANCE CWindowManagerUI::GetInstance() {
    return Process().instance;
}

std::string CWindowManagerUI::GetModuleDirectory() {
    if (!Process().instance)
        return {};
    return Base::ProgramFolder(Process().instance);
}

void CWindowManagerUI::SetResourcePath(const char* path) {
    std::string value = path ? path : "";
    if (!value.empty() && value.back() != '\\' && value.back() != '/')
        value += '\\';
    Process().resourcePath = value;
}

std::string CWindowManagerUI::GetResourcePath() {
    return Process().resourcePath;
}

void CWindowManagerUI::SetResourcePackage(const char* name, bool cached, const char* password) {
    ProcessSettings& settings = Process();
    const std::string newName = name ? name : "";
    // The same package again keeps everything, the password included.
    if (newName == settings.packageName && cached == settings.packageCached)
        return;
    DropCachedPlainPackage();
    settings.packageName = newName;
    settings.packageCached = cached;
    settings.packagePassword = password ? password : "";
    if (cached && settings.packagePassword.empty() && !newName.empty()) {
        CachePlainPackage(settings.resourcePath + newName);
    }
}

std::string CWindowManagerUI::GetResourcePackage() {
    return Process().packageName;
}
std::string CWindowManagerUI::GetResourcePackagePassword() {
    return Process().packagePassword;
}
bool CWindowManagerUI::IsResourcePackageCached() {
    return Process().packageCached;
}

void CWindowManagerUI::RunMessageLoop() {
    MSG msg = {};
    while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (!TranslateUIMessage(&msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
    }
}

bool CWindowManagerUI::TranslateUIMessage(MSG* msg) {
    if (!msg->hwnd)
        return false;
    for (HWND hwnd = msg->hwnd; hwnd; hwnd = ::GetParent(hwnd)) {
        for (CWindowManagerUI* manager : Process().liveManagers) {
            if (manager->m_hWndPaint != hwnd)
                continue;
            if (manager->TranslateAccelerator(msg))
                return true;
            LRESULT result = 0;
            return manager->PreMessageHandler(msg->message, msg->wParam, msg->lParam, result);
        }
        if ((::GetWindowLongA(hwnd, GWL_STYLE) & WS_CHILD) == 0)
            break;
    }
    return false;
}

void CWindowManagerUI::AttachWindow(HWND hWnd) {
    m_hWndPaint = hWnd;
    m_paintDc.Reset(hWnd);
    auto& live = Process().liveManagers;
    if (std::find(live.begin(), live.end(), this) == live.end())
        live.push_back(this);
}

bool CWindowManagerUI::AttachRoot(CControlUI* root) {
    m_pFocus = nullptr;
    m_pEventHover = nullptr;
    m_pEventClick = nullptr;
    if (m_pRoot) {
        delete m_pRoot;
        m_pRoot = nullptr;
    }
    if (!root)
        return false;
    m_pRoot = root;
    m_bUpdateNeeded = true;
    m_bFirstLayout = true;
    InitControls(root, nullptr);
    if (m_hWndPaint)
        ::InvalidateRect(m_hWndPaint, nullptr, FALSE);
    return true;
}

void CWindowManagerUI::InitControls(CControlUI* control, CControlUI* parent) {
    if (!control)
        return;
    if (control->GetManager() != this || control->GetParent() != parent) {
        control->SetManager(this, parent, false);
    }
    ManagerOf target{this, parent};
    control->FindControl(AttachToManager, &target, UIFIND_ALL);
    control->FindControl(CollectNamed, &m_mNameHash, UIFIND_ALL);
    control->FindControl(InitEach, nullptr, UIFIND_ALL);
}

void CWindowManagerUI::ReapObjects(CControlUI* control) {
    if (control == m_pTooltipControl) {
        HideToolTip();
        m_pTooltipControl = nullptr;
    }
    KillTimers(control);
    if (control == m_pEventClick)
        m_pEventClick = nullptr;
    if (control == m_pEventHover)
        m_pEventHover = nullptr;
    if (control == m_pFocus)
        m_pFocus = nullptr;
    const auto it = m_mNameHash.find(control->GetName());
    if (it != m_mNameHash.end() && it->second == control)
        m_mNameHash.erase(it);
    for (TNotifyMsg& queued : m_aAsyncNotify) {
        if (queued.pSender == control)
            queued.pSender = nullptr;
    }
}

void CWindowManagerUI::RenameControl(CControlUI* control, const std::string& oldName,
                                     const std::string& newName) {
    const auto it = m_mNameHash.find(oldName);
    if (it == m_mNameHash.end() || it->second != control)
        return;
    m_mNameHash.erase(it);
    if (!newName.empty())
        m_mNameHash.emplace(newName, control);
}

void CWindowManagerUI::AddDelayedCleanup(CControlUI* control) {
    control->SetManager(this, nullptr, false);
    m_aDelayedCleanup.push_back(control);
    ScheduleCleanup();
}

void CWindowManagerUI::ScheduleCleanup() {
    // While a notification is out, the end of its delivery schedules again.
    if (m_nNotifyDepth == 0 && !m_aDelayedCleanup.empty() && m_hWndPaint)
        ::PostMessageA(m_hWndPaint, kDelayedCleanupMessage, 0, 0);
}

void CWindowManagerUI::ReapDelayedCleanup() {
    std::vector<CControlUI*> doomed;
    doomed.swap(m_aDelayedCleanup);
    for (CControlUI* control : doomed)
        delete control;
}

bool CWindowManagerUI::AddNotifier(INotifyUI* notifier) {
    if (!notifier)
        return false;
    if (std::find(m_aNotifiers.begin(), m_aNotifiers.end(), notifier) != m_aNotifiers.end()) {
        return false;
    }
    m_aNotifiers.push_back(notifier);
    return true;
}

bool CWindowManagerUI::RemoveNotifier(INotifyUI* notifier) {
    const auto it = std::find(m_aNotifiers.begin(), m_aNotifiers.end(), notifier);
    if (it == m_aNotifiers.end())
        return false;
    m_aNotifiers.erase(it);
    return true;
}

void CWindowManagerUI::SendNotify(CControlUI* sender, const char* type, WPARAM wParam,
                                  LPARAM lParam, bool async) {
    TNotifyMsg msg;
    msg.sType = type;
    msg.pSender = sender;
    msg.wParam = wParam;
    msg.lParam = lParam;
    msg.dwTimestamp = ::GetTickCount();
    msg.ptMouse = m_ptLastMouse;
    if (async) {
        m_aAsyncNotify.push_back(msg);
        if (m_hWndPaint)
            ::PostMessageA(m_hWndPaint, WM_NULL, 0, 0);
        return;
    }
    DeliverNotify(msg);
}

bool CWindowManagerUI::DeliverNotify(TNotifyMsg& msg) {
    // The sender and the toolkit code that sent the notification are still
    // on the stack when a listener removes the sender and then runs a message
    // loop of its own (a message box): removed controls wait until no
    // notification is out any more.
    ++m_nNotifyDepth;
    const std::weak_ptr<char> alive = m_lifetime;
    const HWND window = m_hWndPaint && ::IsWindow(m_hWndPaint) ? m_hWndPaint : nullptr;
    // A listener may add or remove listeners; iterate over a snapshot.
    const std::vector<INotifyUI*> listeners = m_aNotifiers;
    for (INotifyUI* listener : listeners) {
        listener->Notify(msg);
        // The listener destroyed the window: the others hear nothing of a
        // window that is gone, and a manager that went with it is left alone.
        if (alive.expired())
            return false;
        if (window && !::IsWindow(window))
            break;
    }
    --m_nNotifyDepth;
    ScheduleCleanup();
    return !window || ::IsWindow(window);
}

bool CWindowManagerUI::FlushAsyncNotify() {
    while (!m_aAsyncNotify.empty()) {
        TNotifyMsg msg = m_aAsyncNotify.front();
        m_aAsyncNotify.pop_front();
        // The sender was destroyed while the notification waited.
        if (msg.pSender && !DeliverNotify(msg))
            return false;
    }
    return true;
}

bool CWindowManagerUI::AddMessageFilter(IMessageFilterUI* filter) {
    if (!filter)
        return false;
    m_aMessageFilters.push_back(filter);
    return true;
}

bool CWindowManagerUI::AddTranslateAccelerator(ITranslateAccelerator* translator) {
    if (!translator)
        return false;
    m_aTranslators.push_back(translator);
    return true;
}

void CWindowManagerUI::RemoveTranslateAccelerator(ITranslateAccelerator* translator) {
    m_aTranslators.erase(std::remove(m_aTranslators.begin(), m_aTranslators.end(), translator),
                         m_aTranslators.end());
}

CControlUI* CWindowManagerUI::FindControl(const char* name) const {
    if (!name)
        return nullptr;
    const auto it = m_mNameHash.find(name);
    return it == m_mNameHash.end() ? nullptr : it->second;
}

CControlUI* CWindowManagerUI::FindControlAt(POINT pt) const {
    if (!m_pRoot)
        return nullptr;
    return m_pRoot->FindControl(FirstHit, &pt, UIFIND_VISIBLE | UIFIND_HITTEST | UIFIND_TOP_FIRST);
}

void CWindowManagerUI::Invalidate(const RECT& rc) {
    if (m_hWndPaint)
        ::InvalidateRect(m_hWndPaint, &rc, FALSE);
}

bool CWindowManagerUI::TranslateAccelerator(MSG* msg) {
    for (ITranslateAccelerator* translator : m_aTranslators) {
        if (translator->TranslateAccelerator(msg) == S_OK)
            return true;
    }
    return false;
}

bool CWindowManagerUI::PreMessageHandler(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    for (IMessageFilterUI* filter : m_aMessageFilters) {
        bool handled = false;
        const LRESULT r = filter->MessageHandler(msg, wParam, lParam, handled);
        if (handled) {
            result = r;
            return true;
        }
    }
    switch (msg) {
        case WM_KEYDOWN:
            if (wParam == VK_TAB &&
                !(m_pFocus && (m_pFocus->GetControlFlags() & UIFLAG_WANTTAB) != 0)) {
                // An edit box hears about the Tab before the focus leaves it.
                if (m_pFocus && m_pFocus->GetInterface("Edit"))
                    SendNotify(m_pFocus, "tab");
                SetNextTabControl(::GetKeyState(VK_SHIFT) >= 0);
                return true;
            }
            break;
        case WM_SYSCHAR:
            if (ActivateShortcut(static_cast<char>(wParam)))
                return true;
            break;
        case WM_SYSKEYDOWN:
            SendEvent(m_pFocus, UIEVENT_SYSKEY, wParam, lParam, static_cast<char>(wParam));
            break;
        default:
            break;
    }
    return false;
}

}  // namespace SkinUI
