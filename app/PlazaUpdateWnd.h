// The launcher's only window. It owns the toolkit manager and every field that
// the update, login and web parts share. Only the UI thread reads or writes
// them: worker threads take copies of what they need when they start and hand
// every change back as a closure to PostToUi, which runs it here, on the UI
// thread, in the order it was posted. So no field needs a lock or an atomic.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "app/UiQueue.h"
#include "base/Handles.h"
#include "ui/browser/WebBrowser.h"
#include "ui/core/Notify.h"
#include "ui/core/WindowManager.h"
#include "ui/core/WindowWnd.h"
#include "update/run/UpdateEngine.h"

namespace SkinUI {
class CComboUI;
class CControlUI;
class CEditUI;
}  // namespace SkinUI

namespace accounts {
struct SavedOptions;
}  // namespace accounts

// The window owns the update engine and shows its runs in the skin's update
// controls as its UpdateView (WindowUpdateView.cpp).
class CPlazaUpdateWnd : public SkinUI::CWindowWnd,
                        public SkinUI::INotifyUI,
                        public SkinUI::CWebBrowserEventHandler,
                        public UpdateView {
    // Declared first: the engine below posts through it.
    std::shared_ptr<UiQueue> m_pUiQueue;

public:
    CPlazaUpdateWnd();
    ~CPlazaUpdateWnd() override;

    void Notify(SkinUI::TNotifyMsg& msg) override;
    // Reads the pages' "app:" commands; never cancels a navigation.
    void BeforeNavigate2(IDispatch* disp, VARIANT* url, VARIANT* flags, VARIANT* targetFrameName,
                         VARIANT* postData, VARIANT* headers, VARIANT_BOOL* cancel) override;

    // Runs fn on the UI thread after everything posted before it. Safe from
    // any thread; dropped once the window is gone.
    void PostToUi(std::function<void()> fn) { m_pUiQueue->Post(std::move(fn)); }
    std::shared_ptr<UiQueue> GetUiQueue() const { return m_pUiQueue; }

    void InitLauncherWindow();
    void StartUpdateThread();
    void StopUpdateThread();
    void StartResolverThread();

    // Saved logins in the registry of the current user.
    void LoadSavedAccounts();
    void LoadAccountSettings();
    void RemoveAccount(SkinUI::CControlUI* deleteButton);
    void ClearAccount();
    void SaveLogonAccount(const std::string& account, const std::string& password);
    // The account drop list and the account and password boxes.
    void SetLoginBoxesEnabled(bool enabled);

    // Starts the lobby with the login (or the self-update hand-over) and quits.
    void LaunchLobby();
    // From the moment a login starts the lobby until the window quits. Then
    // no further login, page command or script call does anything.
    bool LoginUnderway() const { return m_bLoginUnderway; }
    // The login-time choice of server line and address.
    void SelectLoginServer();

    // Requests to the operator's web services, shown in the window's browser
    // controls.
    void SendLogoPage();
    void SendStatisticsReport();
    void ShowQQLogonPage();
    void ShowValidationPage();
    void ShowRegisterPage();
    // Opens the service page of a link button in the default browser; false
    // when the control is not a link button.
    bool OpenServiceLink(const std::string& controlName);

    SkinUI::CWindowManagerUI m_Manager;
    UpdateEngine m_Engine;
    SkinUI::CComboUI* m_pAccountCombo = nullptr;
    SkinUI::CEditUI* m_pAccountEdit = nullptr;
    SkinUI::CEditUI* m_pPasswordEdit = nullptr;
    bool m_bPartnerLogon = false;
    bool m_bSavePassword = false;
    bool m_bAutoLogon = false;
    bool m_bAutoSelectServer = false;
    std::string m_sServerAddr;
    int m_nServerLine = 0;
    std::string m_sServerHost;
    std::vector<std::string> m_vServerList;
    std::vector<std::string> m_vServerList2;
    int m_nChannelId = -1;
    std::string m_sCmdTail;
    // Nobody waits for the resolver; the handle is only released with the window.
    Base::UniqueKernelHandle m_hResolverThread;

    // UpdateView: the run's state in the skin's update controls.
    HWND GetOwnerWindow() const override { return m_hWnd; }
    void ShowUpdateState(const std::string& text) override;
    void ShowCurInfo(const std::string& text) override;
    void ShowVersion(const std::string& text) override;
    void ShowRecentFiles(const std::vector<std::string>& names) override;
    void ShowAllFileProgress(int percent, bool withText) override;
    void ShowCurFileProgress(int percent) override;
    void EnableLoginButtons(bool enabled) override;
    void EnableRepair() override;
    bool ArmAutoLogon() override;
    void ShowMessage(const std::string& text) override;
    void RequestQuit() override;

protected:
    const char* GetWindowClassName() const override;
    UINT GetClassStyle() const override { return CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS; }
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void OnFinalMessage(HWND hWnd) override;

private:
    LRESULT OnCreate();
    LRESULT OnNcHitTest(LPARAM lParam);
    void OnSize();
    void OnLogonLobby(const wchar_t* account, const wchar_t* password);
    void OnLogonResult(const wchar_t* code, const wchar_t* text);
    void ReturnToLogonPage();
    // The registration page, once an update has finished and none runs.
    void OpenRegisterPage();
    void FillLogonBoxes(const std::string& account, const std::string& password);
    // Tells the player when the account cannot be remembered, and why.
    void ExplainUnrememberedAccount(const std::string& account);

    void OnClick(const std::string& name, SkinUI::CControlUI* sender);
    void OnItemSelect(const std::string& name);
    void OnSelectChanged(const std::string& name);
    void OnReturn(const std::string& name);
    void Retry();
    void Cancel();
    void ToggleAutoLogon();
    // "LogonLineAuto" leaves the choice of server line to the launcher, the
    // name `fixedPrefix` + 0..2 fixes one; false for any other name.
    bool ChooseServerLine(const std::string& name, const char* fixedPrefix);

    void ApplySavedServerLine(DWORD line);
    void ApplySavedOptions(const accounts::SavedOptions& saved);
    void SelectFirstAccountOrClear();

    bool m_bLoginUnderway = false;
};
