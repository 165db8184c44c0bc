#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <string_view>

namespace suantiji {

// Replaces a file's whole contents, or creates the file, so that it holds its old bytes or the
// new ones and never a mixture:
// - the bytes go to an anonymous file in the same folder, which is flushed to disk and then
//   renamed over the file, so a kill or a full disk leaves no temporary file behind;
// - in a folder that takes no new files, an existing file that may be written is rewritten in
//   place, its space reserved first so that a full disk stops the write before it begins;
// - a file whose owner may not write it, or that is not a regular file, is left untouched;
// - through a symbolic link, the file the link names is replaced.
// An existing file keeps its permission bits; a new one gets `newFileMode`, or without one
// 0666 less the umask. Returns 0, or the errno value that says why nothing was written.
int ReplaceFile(const std::string& path, std::string_view bytes,
                std::optional<mode_t> newFileMode = std::nullopt);

// Removes, beside the file, the temporary files of writers that were killed between naming
// theirs and renaming it: those of ReplaceFile whose process has ended, and those earlier
// versions left ("config.abc.XXXXXX") once they are a minute old.
void RemoveStaleTemporaries(const std::string& path);

// Why a file could not be written, in plain Chinese, for a message to the user.
std::string WriteErrorText(int error);

}  // namespace suantiji
