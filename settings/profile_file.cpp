#include "settings/profile_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "common/file_replace.h"
#include "common/text.h"
#include "settings/gbk_text.h"

namespace suantiji {

namespace {

constexpr std::string_view kLineEnding = "\r\n";

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

std::string_view trim(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
    return text;
}

bool isLeadByte(unsigned char c) { return c >= 0x81 && c <= 0xFE; }

// ASCII letters fold to lower case; a double-byte character is copied whole, since its second
// byte may look like an ASCII letter.
std::string foldName(std::string_view gbk) {
    std::string out;
    out.reserve(gbk.size());
    for (std::size_t i = 0; i < gbk.size(); ++i) {
        const auto c = static_cast<unsigned char>(gbk[i]);
        if (isLeadByte(c) && i + 1 < gbk.size()) {
            out.push_back(gbk[i]);
            out.push_back(gbk[++i]);
        } else {
            out.push_back(LowerAscii(gbk[i]));
        }
    }
    return out;
}

// The longest prefix of at most `limit` bytes that does not split a character.
std::string_view cutAtCharacter(std::string_view gbk, std::size_t limit) {
    if (gbk.size() <= limit) return gbk;
    std::size_t end = 0;
    while (end < gbk.size()) {
        const std::size_t step = isLeadByte(static_cast<unsigned char>(gbk[end])) ? 2 : 1;
        if (end + step > limit) break;
        end += step;
    }
    return gbk.substr(0, end);
}

std::string withoutLineBreaks(std::string text) {
    for (char& c : text) {
        if (c == '\r' || c == '\n') c = ' ';
    }
    return text;
}

}  // namespace

ProfileFile ProfileFile::Load(const std::string& path) {
    ProfileFile file;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        file.m_source = errno == ENOENT || errno == ENOTDIR ? Source::Missing : Source::Unreadable;
        return file;
    }
    std::string bytes;
    char buffer[65536];
    bool ok = true;
    while (true) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR) continue;
            ok = false;
            break;
        }
        if (got == 0) break;
        bytes.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(fd);
    if (!ok) {
        file.m_source = Source::Unreadable;
        return file;
    }
    file = FromBytes(bytes);
    return file;
}

ProfileFile ProfileFile::FromBytes(std::string_view bytes) {
    ProfileFile file;
    file.m_source = Source::Loaded;
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        const std::size_t newline = bytes.find('\n', pos);
        if (newline == std::string_view::npos) {
            file.m_lines.push_back(parseLine(std::string(bytes.substr(pos)), ""));
            break;
        }
        std::size_t textEnd = newline;
        if (textEnd > pos && bytes[textEnd - 1] == '\r') --textEnd;
        file.m_lines.push_back(
            parseLine(std::string(bytes.substr(pos, textEnd - pos)),
                      std::string(bytes.substr(textEnd, newline + 1 - textEnd))));
        pos = newline + 1;
    }
    return file;
}

ProfileFile::Line ProfileFile::parseLine(std::string text, std::string ending) {
    Line line;
    line.text = std::move(text);
    line.ending = std::move(ending);
    const std::string_view content = trim(line.text);
    if (content.empty() || content.front() == ';') return line;
    if (content.front() == '[') {
        const std::size_t close = content.rfind(']');
        if (close != std::string_view::npos) {
            line.kind = Kind::Section;
            line.foldedName = foldName(trim(content.substr(1, close - 1)));
            return line;
        }
    }
    // A line without "=" is a key without a value, so writing that key replaces it.
    line.kind = Kind::Key;
    const std::size_t equals = line.text.find('=');
    if (equals == std::string::npos) {
        line.foldedName = foldName(content);
        line.valueStart = line.text.size();
    } else {
        line.foldedName = foldName(trim(std::string_view(line.text).substr(0, equals)));
        line.valueStart = equals + 1;
    }
    return line;
}

std::size_t ProfileFile::findSection(std::string_view foldedSection) const {
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        if (m_lines[i].kind == Kind::Section && m_lines[i].foldedName == foldedSection) return i;
    }
    return std::string::npos;
}

std::size_t ProfileFile::sectionEnd(std::size_t sectionLine) const {
    std::size_t i = sectionLine + 1;
    while (i < m_lines.size() && m_lines[i].kind != Kind::Section) ++i;
    return i;
}

std::size_t ProfileFile::findKey(std::size_t sectionLine, std::string_view foldedKey) const {
    const std::size_t end = sectionEnd(sectionLine);
    for (std::size_t i = sectionLine + 1; i < end; ++i) {
        if (m_lines[i].kind == Kind::Key && m_lines[i].foldedName == foldedKey) return i;
    }
    return std::string::npos;
}

std::string ProfileFile::ReadValue(std::string_view section, std::string_view key) const {
    const std::size_t sectionLine = findSection(foldName(Utf8ToGbk(section)));
    if (sectionLine == std::string::npos) return {};
    const std::size_t keyLine = findKey(sectionLine, foldName(Utf8ToGbk(key)));
    if (keyLine == std::string::npos) return {};
    const Line& line = m_lines[keyLine];
    std::string_view value = trim(std::string_view(line.text).substr(line.valueStart));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
    }
    return GbkToUtf8(cutAtCharacter(value, kMaxValueBytes));
}

void ProfileFile::insertLine(std::size_t at, Line line) {
    // The line before may be a last line without an ending.
    if (at > 0 && m_lines[at - 1].ending.empty()) m_lines[at - 1].ending = kLineEnding;
    m_lines.insert(m_lines.begin() + static_cast<std::ptrdiff_t>(at), std::move(line));
}

void ProfileFile::WriteValue(std::string_view section, std::string_view key,
                             std::string_view value) {
    const std::string gbkKey = withoutLineBreaks(Utf8ToGbk(key));
    Line keyLine =
        parseLine(gbkKey + "=" + withoutLineBreaks(Utf8ToGbk(value)), std::string(kLineEnding));

    const std::string gbkSection = withoutLineBreaks(Utf8ToGbk(section));
    const std::size_t sectionLine = findSection(foldName(gbkSection));
    if (sectionLine == std::string::npos) {
        insertLine(m_lines.size(), parseLine("[" + gbkSection + "]", std::string(kLineEnding)));
        insertLine(m_lines.size(), std::move(keyLine));
        return;
    }
    const std::size_t existing = findKey(sectionLine, foldName(gbkKey));
    if (existing != std::string::npos) {
        keyLine.ending =
            m_lines[existing].ending.empty() ? std::string(kLineEnding) : m_lines[existing].ending;
        m_lines[existing] = std::move(keyLine);
        return;
    }
    // After the section's last non-blank line, so blank lines before the next section stay there.
    std::size_t at = sectionEnd(sectionLine);
    while (at > sectionLine + 1 && trim(m_lines[at - 1].text).empty()) --at;
    insertLine(at, std::move(keyLine));
}

std::string ProfileFile::Bytes() const {
    std::string bytes;
    for (const Line& line : m_lines) {
        bytes += line.text;
        bytes += line.ending;
    }
    return bytes;
}

bool ProfileFile::Save(const std::string& path) const {
    // A new settings file is readable by all, whatever the umask, as it always was.
    return ReplaceFile(path, Bytes(), 0644) == 0;
}

}  // namespace suantiji
