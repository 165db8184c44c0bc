#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "generation/format_date_time.h"
#include "generation/generation_request.h"
#include "output/table_model.h"

namespace suantiji {

class ControlHost;
class MessageBox;
class RandomSource;

// How the sheet is styled beyond the request: read from the window's style controls.
struct SheetStyle {
    bool customFontSize = false;
    int customFontHeight = 12;
    bool leftAligned = false;
};

// The expression with "×" and "÷" for "*" and "/", followed by "=".
std::string QuestionDisplayText(const Question& question);

// The header cell: question count, the pupil's blanks and the timestamp.
std::string SheetHeaderText(int questionCount, const std::string& timestamp);

// The timestamp of a sheet laid out at `when`: "yyyy/M/d dddd" and " hh:mm:ss", 24-hour.
std::string MakeSheetTimestamp(const DateTimeFields& when, const LocaleNames& names);

// Reads the request from the window's controls, as the generator sees it.
GenerationRequest ReadGenerationRequest(const ControlHost& controls);
SheetStyle ReadSheetStyle(const ControlHost& controls);

// Clears the table and lays out a sheet: questions, answers, formats, header, control size.
// The design's column widths are minimums: a column widens to its widest text as `measure`
// gives it, with a few pixels to spare.
void LayOutSheet(TableModel& table, const GenerationRequest& request,
                 const std::vector<Question>& questions, const SheetStyle& style,
                 const std::string& timestamp, const TextWidth& measure);

// Writes or removes the answers of a laid-out sheet's questions and sizes its columns and the
// control's width as for a sheet laid out with or without answers.
void ShowSheetAnswers(TableModel& table, const std::vector<Question>& questions, bool show,
                      const TextWidth& measure);

// Generates a sheet from the window's choices into the table and keeps the sheet's timestamp.
// When the choices admit no question, the user is told what to change and the sheet shown
// before stays as it was.
class SheetMaker {
public:
    using Clock = std::function<DateTimeFields()>;

    SheetMaker(ControlHost& controls, TableModel& table, RandomSource& random, MessageBox& messages,
               TextWidth measure, Clock clock = LocalNow, LocaleNames names = {},
               std::chrono::milliseconds budget = std::chrono::seconds(3));

    // True when a new sheet was laid out.
    bool GenerateSheet();
    // Shows or hides the answers of the sheet shown, whose questions, header and time stay.
    // False when no sheet has been laid out.
    bool ShowAnswers(bool show);
    const std::string& SheetTimestamp() const { return m_sheetTimestamp; }

private:
    ControlHost& m_controls;
    TableModel& m_table;
    RandomSource& m_random;
    MessageBox& m_messages;
    TextWidth m_measure;
    Clock m_clock;
    LocaleNames m_names;
    std::chrono::milliseconds m_budget;
    std::string m_sheetTimestamp;
    std::vector<Question> m_questions;  // those of the sheet shown
};

}  // namespace suantiji
