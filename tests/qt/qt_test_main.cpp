// The Qt tests' entry point: one QApplication for every test, made only when
// tests are run (listing them needs no display).
#include <gtest/gtest.h>

#include <QApplication>
#include <QTemporaryDir>

int main(int argc, char* argv[]) {
    testing::InitGoogleTest(&argc, argv);
    if (GTEST_FLAG_GET(list_tests)) return RUN_ALL_TESTS();
    // Qt's file dialog keeps its history in the user's settings: not ours to change.
    QTemporaryDir settings;
    qputenv("XDG_CONFIG_HOME", settings.path().toUtf8());
    QTemporaryDir runtime;  // made private to its owner, as Qt wants it
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR"))
        qputenv("XDG_RUNTIME_DIR", runtime.path().toUtf8());
    // The offscreen platform says so for every window it cannot raise or size
    // from hints; the tests' own output would drown in it.
    static const QtMessageHandler standard = qInstallMessageHandler(nullptr);
    qInstallMessageHandler(
        [](QtMsgType type, const QMessageLogContext& context, const QString& message) {
            if (!message.startsWith(QStringLiteral("This plugin does not support")))
                standard(type, context, message);
        });
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
