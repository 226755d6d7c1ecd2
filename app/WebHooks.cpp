// Requests to the operator's web services. The request formatting and the
// browser navigation are not built yet; each hook marks where they go.
#include "app/PlazaUpdateWnd.h"

// The logo page into the browser "web".
void CPlazaUpdateWnd::SendLogoPage() {}

// The signed statistics record through the browser "LogonWeb".
void CPlazaUpdateWnd::SendStatisticsReport() {}

// The QQ login page into "RegisterWeb".
void CPlazaUpdateWnd::ShowQQLogonPage() {}

// The account validation page into "RegisterWeb".
void CPlazaUpdateWnd::ShowValidationPage() {}

// The registration page into "RegisterWeb".
void CPlazaUpdateWnd::ShowRegisterPage() {}
