#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace suantiji {

// A profile (INI) file held in memory: GBK on disk, CR LF lines. Names and values cross this
// class as UTF-8. Lines that are never written keep their bytes exactly, so a save changes only
// the keys written.
//
// Reading: section and key names match without regard to ASCII letter case; the first matching
// section and, in it, the first matching key count. A value loses its leading and trailing
// blanks and one pair of enclosing quotation marks (" or '), and at most kMaxValueBytes bytes
// of it (on disk, cut at a character boundary) are read.
// Writing: a key replaces its line in place, or goes after the last non-blank line of its
// section; a missing section goes at the end of the file.
class ProfileFile {
public:
    static constexpr std::size_t kMaxValueBytes = 10239;

    enum class Source { Missing, Loaded, Unreadable };

    ProfileFile() = default;
    // Never fails: a missing or unreadable file gives an empty profile and says so in source().
    static ProfileFile Load(const std::string& path);
    static ProfileFile FromBytes(std::string_view bytes);

    Source source() const { return m_source; }

    // Empty when the section or key is missing.
    std::string ReadValue(std::string_view section, std::string_view key) const;
    // A value never spans lines: CR and LF in it are written as blanks.
    void WriteValue(std::string_view section, std::string_view key, std::string_view value);

    // The file's bytes as they go to disk.
    std::string Bytes() const;

    // Replaces the file in one step (see ReplaceFile): a crash, a kill or a full disk leaves the
    // old file or the new one, and a file its owner made read-only is left alone.
    bool Save(const std::string& path) const;

private:
    enum class Kind { Other, Section, Key };
    struct Line {
        std::string text;    // GBK bytes without the line ending
        std::string ending;  // "\r\n", "\n" or "" for a last line without one
        Kind kind = Kind::Other;
        std::string foldedName;  // section or key name, trimmed and folded for matching
        std::size_t valueStart = 0;
    };

    static Line parseLine(std::string text, std::string ending);
    // Index of the first section line with that folded name, or npos.
    std::size_t findSection(std::string_view foldedSection) const;
    // End of the section that starts at `sectionLine`: the next section line or the end.
    std::size_t sectionEnd(std::size_t sectionLine) const;
    std::size_t findKey(std::size_t sectionLine, std::string_view foldedKey) const;
    void insertLine(std::size_t at, Line line);

    std::vector<Line> m_lines;
    Source m_source = Source::Missing;
};

}  // namespace suantiji
