#include "generation/sheet_layout.h"

#include <algorithm>
#include <array>
#include <optional>

#include "common/control_host.h"
#include "common/control_table.h"
#include "common/message_box.h"
#include "common/text.h"
#include "generation/question_generator.h"
#include "output/table_model.h"
#include "services/expression_evaluator.h"
#include "services/pattern_matcher.h"

namespace suantiji {

namespace {

constexpr int kQuestionColumns = 5;
constexpr int kRowsPerColumn = 20;
constexpr int kAnswerOffset = 6;
constexpr int kHeaderRowHeight = 50;
constexpr int kLastColumn = 12;
constexpr const char* kQuestionFace = "黑体";

// Free pixels beside a column's widest text, the grid line's included.
constexpr int kTextSpare = 6;

int defaultFontHeight(int operandCount) {
    if (operandCount <= 4) return 13;
    if (operandCount == 5) return 12;
    return 10;
}

// Twenty questions a column in rows 1 to 20, answers six columns to the right.
int rowOf(std::size_t index) { return 1 + static_cast<int>(index) % kRowsPerColumn; }
int columnOf(std::size_t index) { return 1 + static_cast<int>(index) / kRowsPerColumn; }

void writeAnswers(TableModel& table, const std::vector<Question>& questions, bool show) {
    for (std::size_t i = 0; i < questions.size(); ++i) {
        table.SetCellText(rowOf(i), columnOf(i) + kAnswerOffset, show ? questions[i].answer : "");
    }
}

// The design width, or the column's widest text with some pixels to spare where that is wider.
int columnWidth(const TableModel& table, int column, int designWidth, const TextWidth& measure) {
    int width = designWidth;
    for (int row = 1; row < table.RowCount(); ++row) {
        const Cell& cell = table.CellAt(row, column);
        if (cell.text.empty()) continue;
        width = std::max(width, measure(cell.text, cell.format) + kTextSpare);
    }
    return width;
}

// The column widths of a sheet with or without answers.
void sizeColumns(TableModel& table, bool showAnswers, const TextWidth& measure) {
    table.SetColumnWidth(0, 5);
    for (int column = 1; column <= kQuestionColumns; ++column) {
        table.SetColumnWidth(column, columnWidth(table, column, showAnswers ? 160 : 190, measure));
        const int answers = column + kAnswerOffset;
        table.SetColumnWidth(answers, showAnswers ? columnWidth(table, answers, 30, measure) : 0);
    }
    table.SetColumnWidth(6, 80);
    table.SetColumnWidth(kLastColumn, 5);
}

int columnsWidth(const TableModel& table) {
    int width = 0;
    for (int column = 0; column <= kLastColumn; ++column) width += table.ColumnWidth(column);
    return width;
}

}  // namespace

std::string QuestionDisplayText(const Question& question) {
    static constexpr std::array pairs{ReplacePair{"*", "×"}, ReplacePair{"/", "÷"}};
    return ReplacePairs(question.expression, std::nullopt, 1, true, pairs) + "=";
}

std::string SheetHeaderText(int questionCount, const std::string& timestamp) {
    return "     题目数：" + IntegerToText(questionCount) +
           "    姓名：                      年级：         班级：         用时：          "
           "得分：          日期：" +
           timestamp;
}

std::string MakeSheetTimestamp(const DateTimeFields& when, const LocaleNames& names) {
    return FormatDateTime(when, "yyyy/M/d dddd", " hh:mm:ss", true, names);
}

GenerationRequest ReadGenerationRequest(const ControlHost& controls) {
    using namespace control;
    GenerationRequest request;
    request.operandCount = TextToInteger(controls.ContentText(kOperandCount));
    request.operators.clear();
    static constexpr std::array<std::pair<std::string_view, const char*>, 4> kOperators{
        {{kAdd, "+"}, {kSubtract, "-"}, {kMultiply, "*"}, {kDivide, "/"}}};
    for (const auto& [name, symbol] : kOperators) {
        if (controls.IsChecked(name)) request.operators.emplace_back(symbol);
    }
    request.numberLimit = TextToInteger(controls.ContentText(kNumberLimit));
    request.answerLimit = TextToInteger(controls.ContentText(kAnswerLimit));
    request.questionCount = TextToInteger(controls.ContentText(kQuestionCount));
    request.showAnswers = controls.IsChecked(kShowAnswers);
    request.mixedBrackets = controls.IsChecked(kMixedBrackets);
    request.bracketsOnly = controls.IsChecked(kBracketsOnly);
    request.gridLines = controls.IsChecked(kGridLines);
    request.wholeSteps = controls.IsChecked(kWholeSteps);
    request.noRepeats = controls.IsChecked(kNoRepeats);
    return request;
}

SheetStyle ReadSheetStyle(const ControlHost& controls) {
    SheetStyle style;
    style.customFontSize = controls.IsChecked(control::kCustomFontSize);
    style.customFontHeight = TextToInteger(controls.ContentText(control::kFontSize));
    style.leftAligned = controls.IsChecked(control::kLeftAligned);
    return style;
}

void LayOutSheet(TableModel& table, const GenerationRequest& request,
                 const std::vector<Question>& questions, const SheetStyle& style,
                 const std::string& timestamp, const TextWidth& measure) {
    table.ClearTable();

    for (std::size_t i = 0; i < questions.size(); ++i) {
        table.SetCellText(rowOf(i), columnOf(i), QuestionDisplayText(questions[i]));
    }
    if (request.showAnswers) writeAnswers(table, questions, true);

    const CellRange questionCells{1, 1, 20, kQuestionColumns};
    if (request.gridLines) table.SetGridLineMode(GridLines::Both);
    table.SetAlignment(questionCells, Alignment::Right);
    table.SetAlignment({1, 7, 20, 11}, Alignment::Centre);
    table.SetCellMargin({0, 0, 20, 13}, 0);
    table.SetFontFace(questionCells, kQuestionFace);
    table.SetFontHeight(questionCells, defaultFontHeight(request.operandCount));
    if (style.customFontSize) table.SetFontHeight(questionCells, style.customFontHeight);
    if (style.leftAligned) table.SetAlignment(questionCells, Alignment::Left);
    table.SetFontStyle(questionCells, FontStyle::Bold);
    table.SetRowHeight(0, kHeaderRowHeight);
    sizeColumns(table, request.showAnswers, measure);
    table.MergeCells({0, 1, 0, 6});
    table.MergeCells({0, 7, 0, 12});
    table.SetAlignment({0, 1, 0, 6}, Alignment::Centre);
    table.SetAlignment({0, 7, 0, 12}, Alignment::Centre);

    table.SetCellText(0, 1, SheetHeaderText(request.questionCount, timestamp));
    table.SetCellText(0, 7, "参考答案");

    int height = 0;
    for (int row = 0; row < table.RowCount(); ++row) height += table.RowHeight(row);
    table.SetControlSize(columnsWidth(table) + 5, height + 5);
}

void ShowSheetAnswers(TableModel& table, const std::vector<Question>& questions, bool show,
                      const TextWidth& measure) {
    writeAnswers(table, questions, show);
    sizeColumns(table, show, measure);
    // The height stays: it was the sheet's when laid out, whatever row height was chosen since.
    table.SetControlSize(columnsWidth(table) + 5, table.ControlHeight());
}

SheetMaker::SheetMaker(ControlHost& controls, TableModel& table, RandomSource& random,
                       MessageBox& messages, TextWidth measure, Clock clock, LocaleNames names,
                       std::chrono::milliseconds budget)
    : m_controls(controls),
      m_table(table),
      m_random(random),
      m_messages(messages),
      m_measure(std::move(measure)),
      m_clock(std::move(clock)),
      m_names(std::move(names)),
      m_budget(budget) {}

bool SheetMaker::GenerateSheet() {
    // The matcher is made first and released first; the evaluator lives until the end.
    std::optional<PatternMatcher> matcher(std::in_place);
    ExpressionEvaluator evaluator;
    const GenerationRequest request = ReadGenerationRequest(m_controls);
    // Generate before clearing, so a request that admits no question keeps the sheet shown.
    GenerationOutcome outcome = GenerateQuestions(request, *matcher, evaluator, m_random, m_budget);
    matcher.reset();
    if (outcome.problem != RequestProblem::None) {
        m_messages.Show(kMessageCaption, ProblemMessage(outcome.problem), MessageIcon::Warning);
        return false;
    }
    m_sheetTimestamp = MakeSheetTimestamp(m_clock(), m_names);
    m_questions = std::move(outcome.questions);
    LayOutSheet(m_table, request, m_questions, ReadSheetStyle(m_controls), m_sheetTimestamp,
                m_measure);
    return true;
}

bool SheetMaker::ShowAnswers(bool show) {
    if (m_questions.empty()) return false;
    ShowSheetAnswers(m_table, m_questions, show, m_measure);
    return true;
}

}  // namespace suantiji
