#include "settings/gbk_text.h"

#include <iconv.h>

#include <cerrno>

namespace suantiji {

namespace {

class Converter {
public:
    Converter(const char* to, const char* from) : m_cd(iconv_open(to, from)) {}
    ~Converter() {
        if (valid()) iconv_close(m_cd);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool valid() const { return m_cd != reinterpret_cast<iconv_t>(-1); }

    std::string convert(std::string_view in, std::string_view replacement) {
        std::string out;
        if (!valid() || in.empty()) return out;
        iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
        out.resize(in.size() * 2 + 16);
        std::size_t used = 0;
        // iconv takes a non-const input pointer but never writes through it.
        char* inPtr = const_cast<char*>(in.data());
        std::size_t inLeft = in.size();
        while (true) {
            char* outPtr = out.data() + used;
            std::size_t outLeft = out.size() - used;
            const std::size_t result = iconv(m_cd, &inPtr, &inLeft, &outPtr, &outLeft);
            used = static_cast<std::size_t>(outPtr - out.data());
            if (result != static_cast<std::size_t>(-1)) break;
            if (errno == E2BIG) {
                out.resize(out.size() * 2);
                continue;
            }
            // EILSEQ: one bad byte; EINVAL: a character cut off at the end.
            const bool truncated = errno == EINVAL;
            if (out.size() - used < replacement.size()) out.resize(out.size() * 2);
            out.replace(used, replacement.size(), replacement);
            used += replacement.size();
            if (truncated || inLeft == 0) break;
            ++inPtr;
            --inLeft;
            if (inLeft == 0) break;
            iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
        }
        out.resize(used);
        return out;
    }

private:
    iconv_t m_cd;
};

constexpr std::string_view kUtf8Replacement = "\xEF\xBF\xBD";
constexpr std::string_view kGbkReplacement = "\x84\x31\xA4\x37";  // U+FFFD in GB18030

bool isAscii(std::string_view text) {
    for (const char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    }
    return true;
}

}  // namespace

std::string GbkToUtf8(std::string_view gbk) {
    if (isAscii(gbk)) return std::string(gbk);
    thread_local Converter converter("UTF-8", "GB18030");
    return converter.convert(gbk, kUtf8Replacement);
}

std::string Utf8ToGbk(std::string_view utf8) {
    if (isAscii(utf8)) return std::string(utf8);
    thread_local Converter converter("GB18030", "UTF-8");
    return converter.convert(utf8, kGbkReplacement);
}

}  // namespace suantiji
