// The voltaro executable, run as a user would with --screenshot: its pictures of a replayed
// test, and its exit codes.

#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <QProcess>
#include <QRect>
#include <QTemporaryDir>
#include <cmath>

namespace {

const QString kVoltaro = QStringLiteral(VOLTARO_EXECUTABLE);
const QString kDataDir = QStringLiteral(VOLTARO_TEST_DATA_DIR);

// Where ViewController.qml puts things in the default 390 x 844 window, in a connected layout
// (topFlash 18) with a result shown (topWatt 0): the power figure below the battery level, and
// the row of five 13-point stars drawn 1.75 times larger, 5 points apart, centred under it.
const QRect kPowerArea(90, 350, 210, 100);
constexpr double kStarScale = 1.75;
constexpr double kStarRowTop = 468;
QRect starArea(int index) {
    const double rowWidth = (5 * 13 + 4 * 5) * kStarScale;
    const double left = 195 - rowWidth / 2 + index * 18 * kStarScale;
    return QRect(static_cast<int>(std::ceil(left)) + 1, static_cast<int>(kStarRowTop) + 1,
                 static_cast<int>(13 * kStarScale) - 2, static_cast<int>(13 * kStarScale) - 2);
}

// Pixels of the highlight colour ("highlightColor", a warm yellow), as text and stars draw it.
int highlightPixels(const QImage& image, const QRect& area) {
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.red() > 200 && c.green() > 150 && c.green() < 230 && c.blue() < 120) ++count;
        }
    }
    return count;
}

struct ProcessRun {
    int exitCode = -1;
    QString errorOutput;
};

class Screenshot : public ::testing::Test {
protected:
    ProcessRun voltaro(const QStringList& arguments) {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        environment.insert("HOME", home_.path());
        environment.insert("VOLTARO_CONFIG_DIR", home_.filePath("config"));
        environment.insert("LANGUAGE", "en");
        environment.insert("VOLTARO_DATA_DIR", home_.filePath("data"));
        process.setProcessEnvironment(environment);
        process.start(kVoltaro, arguments);
        ProcessRun run;
        if (!process.waitForFinished(120000)) {
            process.kill();
            process.waitForFinished();
            run.errorOutput = QStringLiteral("voltaro did not finish");
            return run;
        }
        run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        run.errorOutput = QString::fromLocal8Bit(process.readAllStandardError());
        return run;
    }

    QImage screenshotOf(const QString& script, double after) {
        const QString file = home_.filePath(QStringLiteral("out.png"));
        const ProcessRun run =
            voltaro({"--battery", "replay:" + script, "--model", "x86_64", "--speed", "20",
                     "--screenshot", file, "--after", QString::number(after)});
        EXPECT_EQ(run.exitCode, 0) << run.errorOutput.toStdString();
        return QImage(file);
    }

    QTemporaryDir home_;
};

TEST_F(Screenshot, ShowsThePowerAndTheStarsOnlyOfAFinishedTest) {
    const QString script = kDataDir + "/one_step_in_a_minute.script";
    const QImage timing = screenshotOf(script, 40);
    ASSERT_EQ(timing.size(), QSize(390, 844));
    EXPECT_EQ(highlightPixels(timing, kPowerArea) + highlightPixels(timing, starArea(0)), 0);
    // One percent in a minute on the default 2716 mAh battery: about 8 W of the 30 W the model
    // takes, a star and a part of the next.
    const QImage finished = screenshotOf(script, 80);
    EXPECT_GT(highlightPixels(finished, kPowerArea), 300);
    EXPECT_GT(highlightPixels(finished, starArea(0)), 120);
    EXPECT_GT(highlightPixels(finished, starArea(1)), 10);
    EXPECT_EQ(highlightPixels(finished, starArea(3)) + highlightPixels(finished, starArea(4)), 0);
}

TEST_F(Screenshot, APictureThatCannotBeWrittenEndsWithOne) {
    const QString file = home_.filePath(QStringLiteral("no/such/folder/out.png"));
    const ProcessRun run =
        voltaro({"--battery", "replay:" + kDataDir + "/one_step_in_a_minute.script", "--speed",
                 "50", "--screenshot", file, "--after", "1"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.errorOutput.contains(file)) << run.errorOutput.toStdString();
}

TEST_F(Screenshot, BadOptionsEndWithTwo) {
    for (const QStringList& options :
         {QStringList{"--speed", "-3"}, QStringList{"--no-such-option"},
          QStringList{"--after", "3"}, QStringList{"--battery", "linux", "--speed", "5"}}) {
        EXPECT_EQ(voltaro(options).exitCode, 2) << options.join(' ').toStdString();
    }
    // An unknown screen to show is named, with the screens there are.
    const ProcessRun unknownScreen = voltaro({"--battery", "sim", "--show", "NoSuchScreen"});
    EXPECT_EQ(unknownScreen.exitCode, 2);
    EXPECT_TRUE(unknownScreen.errorOutput.contains(QStringLiteral("NoSuchScreen")));
    EXPECT_TRUE(unknownScreen.errorOutput.contains(QStringLiteral("ViewController")));
}

}  // namespace
