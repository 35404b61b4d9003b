// The voltaro executable, run as a user would with --screenshot: its pictures of a replayed
// test, and its exit codes.

#include <QProcess>
#include <cmath>

#include "qt_test_support.h"

namespace {

const QString kScript = QStringLiteral(VOLTARO_TEST_DATA_DIR "/one_step_in_a_minute.script");

// Where ViewController.qml puts things in the default 390 x 844 window, in a connected layout
// (topFlash 18) with a result shown (topWatt 0): the power figure below the battery level, and
// the row of five 13-point stars drawn 1.75 times larger, 5 points apart, centred under it.
const QRect kPowerArea(90, 350, 210, 100);
QRect starArea(int index) {
    constexpr double kScale = 1.75;
    const double left = 195 - (5 * 13 + 4 * 5) * kScale / 2 + index * 18 * kScale;
    return QRect(static_cast<int>(std::ceil(left)) + 1, 469, static_cast<int>(13 * kScale) - 2,
                 static_cast<int>(13 * kScale) - 2);
}

int highlightPixels(const QImage& image, const QRect& area) {
    return voltaro::testing::pixelsOf(image, area, voltaro::testing::namedColor("highlightColor"));
}

class Screenshot : public ::testing::Test {
protected:
    // Runs voltaro with `arguments`: its exit code (-1 when it did not exit) and error output.
    std::pair<int, QString> voltaro(const QStringList& arguments) {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        environment.insert("HOME", home_.path());
        environment.insert("VOLTARO_CONFIG_DIR", home_.filePath("config"));
        environment.insert("LANGUAGE", "en");
        environment.insert("VOLTARO_DATA_DIR", home_.filePath("data"));
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(VOLTARO_EXECUTABLE), arguments);
        if (!process.waitForFinished(120000)) {
            process.kill();
            process.waitForFinished();
            return {-1, QStringLiteral("voltaro did not finish")};
        }
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                QString::fromLocal8Bit(process.readAllStandardError())};
    }

    QImage screenshotAfter(double seconds) {
        const QString file = home_.filePath(QStringLiteral("out.png"));
        const auto [exitCode, errors] =
            voltaro({"--battery", "replay:" + kScript, "--model", "x86_64", "--speed", "20",
                     "--screenshot", file, "--after", QString::number(seconds)});
        EXPECT_EQ(exitCode, 0) << errors.toStdString();
        return QImage(file);
    }

    QTemporaryDir home_;
};

TEST_F(Screenshot, ShowsThePowerAndTheStarsOnlyOfAFinishedTest) {
    const QImage timing = screenshotAfter(40);
    ASSERT_EQ(timing.size(), QSize(390, 844));
    EXPECT_EQ(highlightPixels(timing, kPowerArea) + highlightPixels(timing, starArea(0)), 0);
    // One percent in a minute on the default 2716 mAh battery: about 8 W of the 30 W the model
    // takes, a star and a part of the next, and the last star empty.
    const QImage finished = screenshotAfter(80);
    EXPECT_GT(highlightPixels(finished, kPowerArea), 300);
    EXPECT_GT(highlightPixels(finished, starArea(0)), 120);
    EXPECT_EQ(highlightPixels(finished, starArea(4)), 0);
}

TEST_F(Screenshot, APictureThatCannotBeWrittenEndsWithOneAndBadOptionsWithTwo) {
    const QString file = home_.filePath(QStringLiteral("no/such/folder/out.png"));
    const auto [exitCode, errors] = voltaro(
        {"--battery", "replay:" + kScript, "--speed", "50", "--screenshot", file, "--after", "1"});
    EXPECT_EQ(exitCode, 1);
    EXPECT_TRUE(errors.contains(file)) << errors.toStdString();

    for (const QStringList& options :
         {QStringList{"--speed", "-3"}, QStringList{"--no-such-option"},
          QStringList{"--after", "3"}, QStringList{"--battery", "linux", "--speed", "5"}}) {
        EXPECT_EQ(voltaro(options).first, 2) << options.join(' ').toStdString();
    }
    // An unknown screen to show is named, with the screens there are.
    const auto [unknownScreen, named] = voltaro({"--battery", "sim", "--show", "NoSuchScreen"});
    EXPECT_EQ(unknownScreen, 2);
    EXPECT_TRUE(named.contains(QStringLiteral("NoSuchScreen")));
    EXPECT_TRUE(named.contains(QStringLiteral("ViewController")));
}

}  // namespace
