// The server-address resolver thread. Not built yet.
#include "app/PlazaUpdateWnd.h"

void CPlazaUpdateWnd::StartResolverThread() {}
