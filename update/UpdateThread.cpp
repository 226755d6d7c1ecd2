// The update thread's start and stop. The run itself is not built yet.
#include "app/PlazaUpdateWnd.h"

void CPlazaUpdateWnd::StartUpdateThread() {}

void CPlazaUpdateWnd::StopUpdateThread() {}
