// Everything the toolkit offers to the program, in one include.
#pragma once

#include "ui/ActiveX.h"
#include "ui/Button.h"
#include "ui/Combo.h"
#include "ui/Container.h"
#include "ui/Control.h"
#include "ui/DialogBuilder.h"
#include "ui/Edit.h"
#include "ui/Label.h"
#include "ui/Layouts.h"
#include "ui/ListElement.h"
#include "ui/Option.h"
#include "ui/Progress.h"
#include "ui/WebBrowser.h"
#include "ui/WindowManager.h"
#include "ui/WindowWnd.h"
