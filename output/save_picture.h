#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "common/message_box.h"
#include "common/save_dialog.h"
#include "output/picture_kind.h"

class QImage;

namespace suantiji {

class TableModel;
class TableWidget;

// Writes the bytes to the path, replacing an existing file only once all of them are written
// (see ReplaceFile). 0, or the errno value that says why the picture was not written.
int WritePictureFile(const std::string& path, const std::vector<std::uint8_t>& bytes);

// The folder the save dialog starts in: the records folder, or, when Qt cannot name that
// folder (see SaveSheetPicture), the one in the per-user folder.
std::string PictureFolder(const std::string& programFolder);

// The file of one kind. The BMP and the PNG hold exactly the captured pixels; the PDF is one A4
// landscape page on which the printing routine draws the sheet, text as text. Empty bytes when
// the file cannot be made. Hand the capture over (move it) to spare a copy of its pixels.
std::vector<std::uint8_t> EncodeSheetPicture(PictureKind kind, QImage capture,
                                             const TableModel& sheet);

// The click of the "save as picture" button: makes sure the records folder exists, captures the
// table as it is now, lets the user confirm a name, writes the kind of file the name ends in and
// opens it. Without a picture nothing is offered. A picture that could not be written is not
// opened; a message says that it was not saved, and why.
void SaveSheetPicture(TableWidget* table, const std::string& programFolder,
                      const std::string& sheetTimestamp, SaveFileDialog& dialog, FileOpener& opener,
                      MessageBox& messages);

}  // namespace suantiji
