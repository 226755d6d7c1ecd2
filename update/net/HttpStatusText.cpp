#include "update/net/HttpStatusText.h"

#include <cstdio>

std::string HttpStatusText(unsigned long status) {
    if (status == kProxyLoginStatus)
        return "代理服务器需要登录（407）！";
    char text[48];
    std::snprintf(text, sizeof(text), "服务器错误%lu！", status);
    return text;
}
