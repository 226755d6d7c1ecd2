// The caption of the launcher's message boxes, whichever part shows them (the
// login's own input checks use "提 示").
#pragma once

constexpr char kMessageCaption[] = "提示";
