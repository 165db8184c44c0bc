#include "generation/sheet_layout.h"

#include <gtest/gtest.h>

#include "output/table_model.h"

namespace suantiji {
namespace {

std::vector<Question> makeQuestions(int count) {
    std::vector<Question> questions;
    for (int i = 1; i <= count; ++i) {
        questions.push_back({std::to_string(i) + "*2/1", std::to_string(2 * i)});
    }
    return questions;
}

// Half the font height a byte, 5 pixels in the default font: widths a test can work out.
int halfHeightPerByte(const std::string& text, const CellFormat& format) {
    const int height = format.fontHeight > 0 ? format.fontHeight : 10;
    return static_cast<int>(text.size()) * height / 2;
}

GenerationRequest requestFor(int count, bool answers) {
    GenerationRequest request;
    request.questionCount = count;
    request.showAnswers = answers;
    return request;
}

TEST(SheetTexts, DisplayTextAndHeader) {
    EXPECT_EQ(QuestionDisplayText({"6/3*2", "4"}), "6÷3×2=");
    EXPECT_EQ(QuestionDisplayText({"12+5*(3-2)", "17"}), "12+5×(3-2)=");
    EXPECT_EQ(SheetHeaderText(100, "T"),
              "     题目数：100    姓名：                      年级：         班级：         "
              "用时：          得分：          日期：T");
}

TEST(LayOutSheet, HundredQuestionsFillFiveColumnsOfTwenty) {
    TableModel table;
    LayOutSheet(table, requestFor(100, true), makeQuestions(100), {}, "T", halfHeightPerByte);
    EXPECT_EQ(table.GetCellText(1, 1), "1×2÷1=");
    EXPECT_EQ(table.GetCellText(20, 1), "20×2÷1=");
    EXPECT_EQ(table.GetCellText(1, 2), "21×2÷1=");
    EXPECT_EQ(table.GetCellText(20, 5), "100×2÷1=");
    EXPECT_EQ(table.GetCellText(20, 11), "200");
    EXPECT_EQ(table.GetCellText(1, 7), "2");
    EXPECT_EQ(table.GetCellText(0, 7), "参考答案");
    EXPECT_EQ(table.GetCellText(0, 1), SheetHeaderText(100, "T"));
    EXPECT_EQ(table.ColumnWidth(1), 160);
    EXPECT_EQ(table.ColumnWidth(7), 30);
    EXPECT_EQ(table.ControlWidth(), 1045);
    EXPECT_EQ(table.ControlHeight(), 50 + 20 * 34 + 5);
}

TEST(LayOutSheet, WithoutAnswersTheAnswerColumnsCollapse) {
    TableModel table;
    LayOutSheet(table, requestFor(10, false), makeQuestions(10), {}, "T", halfHeightPerByte);
    EXPECT_EQ(table.GetCellText(10, 1), "10×2÷1=");
    EXPECT_EQ(table.GetCellText(11, 1), "");
    EXPECT_EQ(table.GetCellText(1, 2), "");
    for (int column = 7; column <= 11; ++column) {
        EXPECT_EQ(table.ColumnWidth(column), 0);
        EXPECT_EQ(table.GetCellText(1, column), "");
    }
    EXPECT_EQ(table.ColumnWidth(1), 190);
    EXPECT_EQ(table.ColumnWidth(0), 5);
    EXPECT_EQ(table.ColumnWidth(6), 80);
    EXPECT_EQ(table.ColumnWidth(12), 5);
    EXPECT_EQ(table.ControlWidth(), 1045);
    EXPECT_EQ(table.GetCellText(0, 7), "参考答案");
}

TEST(LayOutSheet, FormatsQuestionCellsAndHeader) {
    TableModel table;
    table.SetRowHeight(3, 30);
    LayOutSheet(table, requestFor(20, true), makeQuestions(20), {}, "T", halfHeightPerByte);
    const CellFormat& question = table.CellAt(5, 3).format;
    EXPECT_EQ(question.fontFace, "黑体");
    EXPECT_EQ(question.fontHeight, 13);
    EXPECT_EQ(question.fontWeight, 700);
    EXPECT_EQ(question.alignment, Alignment::Right);
    EXPECT_EQ(question.margin, 0);
    EXPECT_EQ(table.CellAt(5, 9).format.alignment, Alignment::Centre);
    EXPECT_EQ(table.CellAt(5, 9).format.fontFace, "");
    EXPECT_EQ(table.CellAt(0, 1).format.alignment, Alignment::Centre);
    EXPECT_EQ(table.CellAt(0, 1).format.fontWeight, 400);
    EXPECT_EQ(table.RowHeight(0), 50);
    EXPECT_EQ(table.RowHeight(3), 34);  // a clear undoes the chosen row height
    EXPECT_EQ(table.GridLineMode(), GridLines::None);
    ASSERT_EQ(table.MergedRanges().size(), 2u);
    EXPECT_EQ(table.MergeAt(0, 6)->firstColumn, 1);
    EXPECT_EQ(table.MergeAt(0, 12)->firstColumn, 7);
}

TEST(LayOutSheet, FontHeightByOperandsAndTheStyleControls) {
    struct Case {
        int operands;
        SheetStyle style;
        int height;
        Alignment alignment;
    };
    const Case cases[] = {{2, {}, 13, Alignment::Right},
                          {5, {}, 12, Alignment::Right},
                          {6, {}, 10, Alignment::Right},
                          {9, {}, 10, Alignment::Right},
                          {9, {true, 22, false}, 22, Alignment::Right},
                          {4, {false, 22, true}, 13, Alignment::Left}};
    for (const Case& c : cases) {
        TableModel table;
        GenerationRequest request = requestFor(10, false);
        request.operandCount = c.operands;
        request.gridLines = true;
        LayOutSheet(table, request, makeQuestions(10), c.style, "T", halfHeightPerByte);
        EXPECT_EQ(table.CellAt(20, 5).format.fontHeight, c.height) << c.operands;
        EXPECT_EQ(table.CellAt(1, 1).format.alignment, c.alignment) << c.operands;
        EXPECT_EQ(table.GridLineMode(), GridLines::Both);
    }
}

// Question 3 (column 1) is 40 bytes long, the answer to question 25 (column 2) 9 bytes; the
// other texts fit the design widths, so their columns keep them.
std::vector<Question> longTexts() {
    std::vector<Question> questions = makeQuestions(40);
    questions[2].expression = std::string(39, '9');
    questions[24].answer = "123456789";
    return questions;
}

TEST(LayOutSheet, ColumnsWidenToTheirWidestTextInTheCellsFont) {
    struct Case {
        bool answers;
        SheetStyle style;
        int questionWidth;  // column 1
        int answerWidth;    // column 8
    };
    // Six pixels spare: 40 bytes at height 10 take 200 pixels, at height 24 480; 9 bytes of the
    // default font take 45.
    const Case cases[] = {{true, {}, 206, 51},
                          {false, {}, 206, 0},
                          {true, {true, 24, false}, 486, 51},
                          {false, {true, 6, false}, 190, 0}};
    for (const Case& c : cases) {
        TableModel table;
        GenerationRequest request = requestFor(40, c.answers);
        request.operandCount = 9;
        LayOutSheet(table, request, longTexts(), c.style, "T", halfHeightPerByte);
        const int design = c.answers ? 160 : 190;
        const int answer = c.answers ? 30 : 0;
        const std::vector<int> widths{5,      c.questionWidth, design, design, design, design, 80,
                                      answer, c.answerWidth,   answer, answer, answer, 5};
        EXPECT_EQ(table.ColumnWidths(), widths) << c.answers << " " << c.style.customFontHeight;
        int total = 0;
        for (int width : widths) total += width;
        EXPECT_EQ(table.ControlWidth(), total + 5);
    }
}

TEST(ShowSheetAnswers, GivesTheSheetLaidOutWithOrWithoutAnswersKeepingItsHeight) {
    const std::vector<Question> questions = longTexts();
    TableModel withAnswers;
    TableModel withoutAnswers;
    LayOutSheet(withAnswers, requestFor(40, true), questions, {}, "T", halfHeightPerByte);
    LayOutSheet(withoutAnswers, requestFor(40, false), questions, {}, "T", halfHeightPerByte);
    auto expectSame = [](const TableModel& table, const TableModel& expected) {
        for (int row = 0; row < table.RowCount(); ++row) {
            for (int column = 0; column < table.ColumnCount(); ++column) {
                EXPECT_EQ(table.GetCellText(row, column), expected.GetCellText(row, column));
            }
        }
        EXPECT_EQ(table.ColumnWidths(), expected.ColumnWidths());
        EXPECT_EQ(table.ControlWidth(), expected.ControlWidth());
    };

    TableModel table = withoutAnswers;
    for (int row = 1; row <= 20; ++row) table.SetRowHeight(row, 30);  // chosen after the layout
    ShowSheetAnswers(table, questions, true, halfHeightPerByte);
    expectSame(table, withAnswers);
    EXPECT_EQ(table.ControlHeight(), withoutAnswers.ControlHeight());
    EXPECT_EQ(table.RowHeight(1), 30);
    ShowSheetAnswers(table, questions, false, halfHeightPerByte);
    expectSame(table, withoutAnswers);
}

}  // namespace
}  // namespace suantiji
