#include "standins/lobby/UpdateOverArgs.h"

#include <cstddef>

namespace {

constexpr char kSwitch[] = "-Update_Over ";
// Lengths are kept well inside int and size_t on every build.
constexpr long kMaxLength = 1 << 20;

class Reader {
public:
    explicit Reader(const std::string& text) : m_text(text) {}

    bool Skip(const char* literal) {
        for (const char* p = literal; *p; ++p, ++m_pos) {
            if (m_pos >= m_text.size() || m_text[m_pos] != *p)
                return false;
        }
        return true;
    }

    // An optionally signed decimal number followed by one space.
    bool Number(long& value) {
        bool negative = false;
        if (m_pos < m_text.size() && m_text[m_pos] == '-') {
            negative = true;
            ++m_pos;
        }
        const size_t start = m_pos;
        value = 0;
        while (m_pos < m_text.size() && m_text[m_pos] >= '0' && m_text[m_pos] <= '9') {
            value = value * 10 + (m_text[m_pos] - '0');
            if (value > kMaxLength)
                return false;
            ++m_pos;
        }
        if (m_pos == start)
            return false;
        if (negative)
            value = -value;
        return Skip(" ");
    }

    bool Text(long length, std::string& out) {
        if (length < 0 || static_cast<size_t>(length) > m_text.size() - m_pos)
            return false;
        out = m_text.substr(m_pos, static_cast<size_t>(length));
        m_pos += static_cast<size_t>(length);
        return true;
    }

private:
    const std::string& m_text;
    size_t m_pos = 0;
};

}  // namespace

std::optional<UpdateOverArgs> ParseUpdateOverArgs(const std::string& cmdLine) {
    Reader reader(cmdLine);
    long line = 0, partner = 0, accountLen = 0, passwordLen = 0, addressLen = 0;
    if (!reader.Skip(kSwitch) || !reader.Number(line) || !reader.Number(partner) ||
        !reader.Number(accountLen) || !reader.Number(passwordLen) || !reader.Number(addressLen)) {
        return std::nullopt;
    }
    UpdateOverArgs args;
    args.nServerLine = static_cast<int>(line);
    args.nPartnerLogon = static_cast<int>(partner);
    if (!reader.Text(accountLen, args.sAccount) || !reader.Skip(" ") ||
        !reader.Text(passwordLen, args.sPassword) || !reader.Skip(" ") ||
        !reader.Text(addressLen, args.sServerAddr)) {
        return std::nullopt;
    }
    return args;
}
