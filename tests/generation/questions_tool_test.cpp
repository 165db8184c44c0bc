#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <regex>
#include <sstream>
#include <string>

namespace {

struct ToolRun {
    int status = -1;
    std::string output;  // stdout and stderr together
};

ToolRun run(const std::string& args) {
    ToolRun result;
    const std::string command = std::string(SUANTIJI_QUESTIONS_TOOL) + " " + args + " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return result;
    char buffer[4096];
    std::size_t n = 0;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) result.output.append(buffer, n);
    const int status = pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
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
    const std::regex form(R"(\d+([+-]\d+){3}=\d+)");
    for (const std::string& line : all) EXPECT_TRUE(std::regex_match(line, form)) << line;
}

TEST(QuestionsTool, OptionsShapeTheQuestions) {
    const ToolRun r =
        run("--operands 3 --operators '*+' --number-limit 9 --answer-limit 500 "
            "--count 10 --brackets-only");
    ASSERT_EQ(r.status, 0) << r.output;
    const std::regex form(R"(\d\*\(\d\+\d\)|\d\+\d\*\(\d\+\d\))");
    for (const std::string& line : lines(r.output)) {
        const std::string expression = line.substr(0, line.find('='));
        EXPECT_TRUE(std::regex_match(expression, form)) << line;
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

}  // namespace
