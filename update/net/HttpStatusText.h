// What the window says after a failed download's HTTP status: the texts
// follow the file name (or the failed step) in "下载失败：..." lines.
#pragma once

#include <string>

// The status of a proxy that wants a login.
inline constexpr unsigned long kProxyLoginStatus = 407;

// "代理服务器需要登录（407）！" for a proxy that wants a login (the player or
// the network's operator can do something about that), otherwise
// "服务器错误N！".
std::string HttpStatusText(unsigned long status);
