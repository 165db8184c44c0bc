#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <sstream>
#include <string>

namespace {

struct ToolRun {
    int status = -1;
    std::string output;  // stdout and stderr together
};

ToolRun run(const std::string& args) {
    ToolRun result;
    // Both outputs go to the pipe, unless the arguments send stdout elsewhere.
    const std::string command = std::string(SUANTIJI_QUESTIONS_TOOL) + " 2>&1 " + args;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return result;
    char buffer[4096];
    std::size_t n = 0;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) result.output.append(buffer, n);
    const int status = pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

// The line with every run of digits written as "d".
std::string shape(const std::string& line) {
    std::string out;
    for (char c : line) {
        const bool digit = c >= '0' && c <= '9';
        if (!digit) {
            out += c;
        } else if (out.empty() || out.back() != 'd') {
            out += 'd';
        }
    }
    return out;
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
}

TEST(QuestionsTool, PrintsOneQuestionPerLineWithWindowDefaults) {
    const ToolRun r = run("");
    ASSERT_EQ(r.status, 0) << r.output;
    const std::vector<std::string> all = lines(r.output);
    ASSERT_EQ(all.size(), 100u);
    for (const std::string& line : all) {
        const std::string form = shape(line);
        ASSERT_EQ(form.size(), 9u) << line;
        EXPECT_EQ(form[0], 'd');
        for (std::size_t i : {1u, 3u, 5u}) EXPECT_TRUE(form[i] == '+' || form[i] == '-') << line;
        EXPECT_EQ(form.substr(6), "d=d") << line;
    }
}

TEST(QuestionsTool, OptionsShapeTheQuestions) {
    const ToolRun r =
        run("--operands 3 --operators '*+' --number-limit 9 --answer-limit 500 "
            "--count 10 --brackets-only");
    ASSERT_EQ(r.status, 0) << r.output;
    for (const std::string& line : lines(r.output)) {
        const std::string form = shape(line);
        EXPECT_EQ(form, "d*(d+d)=d") << line;
    }
    EXPECT_EQ(lines(r.output).size(), 10u);
}

TEST(QuestionsTool, BadOptionsAndHopelessRequestsSayWhyOnOneLine) {
    for (const char* args : {"--count abc", "--operators +x", "--frobnicate", "--operands",
                             "--operators + --operands 2 --answer-limit 3", "--operands 12"}) {
        const ToolRun r = run(args);
        EXPECT_EQ(r.status, 2) << args;
        EXPECT_EQ(lines(r.output).size(), 1u) << args << ": " << r.output;
    }
}

TEST(QuestionsTool, OutputThatCannotBeWrittenSaysWhy) {
    const ToolRun r = run("--count 10 >/dev/full");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.output.find("questions: cannot write the questions: "), std::string::npos)
        << r.output;
}

}  // namespace
