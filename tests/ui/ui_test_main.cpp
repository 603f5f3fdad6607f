// The widget tests run without a display: the offscreen platform, unless the caller chose one.
#include <gtest/gtest.h>
#include <QApplication>
#include <QTimer>

namespace {

// Each test is one life of the program, and several end it (QCoreApplication::exit). Outside a
// running application loop that request stays pending; on Windows it then ends every modal
// loop of the next test at once. A short run of the application loop takes it away.
class ProgramLives final : public testing::EmptyTestEventListener {
    void OnTestEnd(const testing::TestInfo&) override {
        QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        QApplication::exec();
    }
};

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    testing::UnitTest::GetInstance()->listeners().Append(new ProgramLives);
    return RUN_ALL_TESTS();
}
