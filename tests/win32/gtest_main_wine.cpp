// The test suites' main in the Windows build: GoogleTest's own, except that a
// failure is only printed. GoogleTest also hands each failure to
// OutputDebugStringA, and under Wine on qemu-i386 the exception that carries it
// to a debugger kills the process, with every later test of the suite.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

namespace {

// Forwards every event to GoogleTest's printer but prints test part results itself.
class PrinterWithoutDebugger : public testing::TestEventListener {
public:
    explicit PrinterWithoutDebugger(testing::TestEventListener* printer) : m_printer(printer) {}

    void OnTestPartResult(const testing::TestPartResult& result) override {
        if (result.type() == testing::TestPartResult::kSuccess) return;
        const char* kind = result.type() == testing::TestPartResult::kSkip ? "Skipped" : "Failure";
        if (result.file_name())
            std::printf("%s:%d: %s\n%s\n", result.file_name(), result.line_number(), kind,
                        result.message());
        else
            std::printf("unknown file: %s\n%s\n", kind, result.message());
        std::fflush(stdout);
    }

    void OnTestProgramStart(const testing::UnitTest& test) override {
        m_printer->OnTestProgramStart(test);
    }
    void OnTestIterationStart(const testing::UnitTest& test, int iteration) override {
        m_printer->OnTestIterationStart(test, iteration);
    }
    void OnEnvironmentsSetUpStart(const testing::UnitTest& test) override {
        m_printer->OnEnvironmentsSetUpStart(test);
    }
    void OnEnvironmentsSetUpEnd(const testing::UnitTest& test) override {
        m_printer->OnEnvironmentsSetUpEnd(test);
    }
    void OnTestSuiteStart(const testing::TestSuite& suite) override {
        m_printer->OnTestSuiteStart(suite);
    }
    void OnTestCaseStart(const testing::TestCase& suite) override {  // the printer's own
        m_printer->OnTestCaseStart(suite);
    }
    void OnTestStart(const testing::TestInfo& info) override { m_printer->OnTestStart(info); }
    void OnTestDisabled(const testing::TestInfo& info) override { m_printer->OnTestDisabled(info); }
    void OnTestEnd(const testing::TestInfo& info) override { m_printer->OnTestEnd(info); }
    void OnTestSuiteEnd(const testing::TestSuite& suite) override {
        m_printer->OnTestSuiteEnd(suite);
    }
    void OnTestCaseEnd(const testing::TestCase& suite) override { m_printer->OnTestCaseEnd(suite); }
    void OnEnvironmentsTearDownStart(const testing::UnitTest& test) override {
        m_printer->OnEnvironmentsTearDownStart(test);
    }
    void OnEnvironmentsTearDownEnd(const testing::UnitTest& test) override {
        m_printer->OnEnvironmentsTearDownEnd(test);
    }
    void OnTestIterationEnd(const testing::UnitTest& test, int iteration) override {
        m_printer->OnTestIterationEnd(test, iteration);
    }
    void OnTestProgramEnd(const testing::UnitTest& test) override {
        m_printer->OnTestProgramEnd(test);
    }

private:
    std::unique_ptr<testing::TestEventListener> m_printer;
};

}  // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    testing::TestEventListeners& listeners = testing::UnitTest::GetInstance()->listeners();
    if (testing::TestEventListener* printer = listeners.default_result_printer())
        listeners.Append(new PrinterWithoutDebugger(listeners.Release(printer)));
    return RUN_ALL_TESTS();
}
