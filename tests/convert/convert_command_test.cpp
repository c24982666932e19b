// The Convert command in the real main window: once with the real message boxes
// answered like a user, then its checks and failures with scripted dialogs.
#include <QFile>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "ModalAnswerer.h"
#include "Scripted.h"
#include "app/KCR1.h"
#include "core/conversion.h"

using namespace testing_support;
using platform::Answer;
using platform::Buttons;
using platform::Icon;

namespace {

QByteArray observations() {
    QByteArray text;
    for (int i = 1; i <= 12; ++i) {
        QByteArray line(72, ' ');
        line.replace(4, 2, "R4");
        line.replace(10, 3, "TR ");
        line.replace(13, 3, QByteArray::number(100 + i));
        line[18] = i % 2 ? 'X' : 'y';
        line.replace(26, 6, "21.259");
        line.replace(46, 6, "59.620");
        line.replace(66, 6, i == 5 ? "      " : "11.256");
        text += line + "\r\n";
    }
    return text + "END";
}

QByteArray library(const QByteArray& text, int layout) {
    std::string out;
    quorvel::StringWriter writer(out);
    quorvel::MemoryReader in(std::string_view(text.constData(), std::size_t(text.size())));
    quorvel::ConversionCounts counts;
    quorvel::convertObservations(in, writer, layout, counts);
    return QByteArray::fromStdString(out);
}

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void write(const QString& path, const QByteArray& data) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(data);
}

// A main window with scripted services.
struct Scripted {
    Module1 module;
    ScriptedDialogs dialogs;
    ScriptedSerialPort port;
    ScriptedLauncher editor;
    KCR1 w{module, {dialogs, port, editor, platform::resolveComPort, QStringLiteral("/h")}};
    QLineEdit* obs = w.findChild<QLineEdit*>(QStringLiteral("EdObs"));
    QLineEdit* out = w.findChild<QLineEdit*>(QStringLiteral("EdOut"));

    void convert(const QString& observation, const QString& output) {
        obs->setText(observation);
        out->setText(output);
        w.CmdCon_Click();
    }
    QString onlyProblem() {
        if (dialogs.messages.size() != 1)
            return QStringLiteral("<%1 messages>").arg(dialogs.messages.size());
        const ShownMessage& m = dialogs.messages.first();
        if (m.caption != QLatin1String("Problem") || m.icon != Icon::Critical ||
            m.buttons != Buttons::Ok)
            return QStringLiteral("<not a problem message>");
        return m.text;
    }
};

}  // namespace

class ConvertCommandTest : public QObject {
    Q_OBJECT
private slots:
    void convertsThroughTheRealWindowAndDialogs() {
        QTemporaryDir dir;
        const QString obsPath = dir.filePath(QStringLiteral("JOB1.sdr"));
        const QString outPath = dir.filePath(QStringLiteral("JOB1.dat"));
        write(obsPath, observations());
        write(outPath,
              "an older coordinate file, longer than the new one will be" + QByteArray(5000, '.'));

        Module1 module;
        platform::QtDialogs dialogs;
        ScriptedSerialPort port;
        ScriptedLauncher editor;
        KCR1 w(module, {dialogs, port, editor, platform::resolveComPort, dir.path()});
        dialogs.setParent(&w);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        module.RunSettings.OutputFormat = 2;

        auto* obs = w.findChild<QLineEdit*>(QStringLiteral("EdObs"));
        auto* out = w.findChild<QLineEdit*>(QStringLiteral("EdOut"));
        obs->setFocus();
        QTest::keyClicks(obs, obsPath);
        out->setFocus();
        out->clear();  // whatever leaving the observation field proposed
        QTest::keyClicks(out, outPath);
        QCOMPARE(obs->text(), obsPath);
        QCOMPARE(out->text(), outPath);

        ModalAnswerer answerer;
        bool criticalWithYesDefault = false;
        answerer.handleNext([&](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            if (box == nullptr) return false;
            answerer.titles << box->windowTitle();
            answerer.texts << box->text();
            criticalWithYesDefault = box->icon() == QMessageBox::Critical &&
                                     box->defaultButton() == box->button(QMessageBox::Yes) &&
                                     box->button(QMessageBox::No) != nullptr;
            QTimer::singleShot(0, box->button(QMessageBox::Yes), &QAbstractButton::click);
            return true;
        });
        answerer.pressButton(QStringLiteral("OK"));
        QTest::mouseClick(w.findChild<QPushButton*>(QStringLiteral("CmdCon")), Qt::LeftButton);
        QVERIFY(waitFor([&] { return answerer.pending() == 0; }));

        QCOMPARE(answerer.unexpected, 0);
        QCOMPARE(answerer.titles,
                 QStringList({QStringLiteral("Problem"), QStringLiteral("Finito")}));
        QCOMPARE(answerer.texts[0], QStringLiteral("File Exists! Do you want to replace? "));
        QVERIFY(criticalWithYesDefault);
        // The box shows each CR as a line break.
        QCOMPARE(answerer.texts[1],
                 QStringLiteral("Conversion was Finshed Successfully!\nLines read:  13\n"
                                "Coordinates Lines:  12\nOutput Format: Autocogo 2"));
        QCOMPARE(readAll(outPath), library(observations(), 2));
        QCOMPARE(module.LineCount, 13);
        QCOMPARE(module.CoordinateCount, 12);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);
    }

    void emptyFieldsAreReportedAndFocused() {
        Scripted s;
        s.w.show();
        QVERIFY(QTest::qWaitForWindowActive(&s.w));
        s.out->setFocus();
        s.convert(QString(), QString());
        QCOMPARE(s.onlyProblem(), QStringLiteral("Empty field of Observation File"));
        QVERIFY(s.obs->hasFocus());

        s.dialogs.messages.clear();
        s.convert(QStringLiteral("x.sdr"), QString());
        QCOMPARE(s.onlyProblem(), QStringLiteral("Empty field of Output File"));
        QVERIFY(s.out->hasFocus());
    }

    void closingMessageAndCounts() {
        QTemporaryDir dir;
        Scripted s;
        s.module.RunSettings.OutputFormat = 3;
        QVERIFY(s.port.open());  // a download's files and port are not the command's to close
        const QString obsPath = dir.filePath(QStringLiteral("a.sdr"));
        write(obsPath, "one\rtwo\n");
        s.convert(obsPath, dir.filePath(QStringLiteral("a.dat")));
        QCOMPARE(s.dialogs.messages.size(), 1);
        const ShownMessage& m = s.dialogs.messages.first();
        QCOMPARE(m.caption, QStringLiteral("Finito"));
        QCOMPARE(m.icon, Icon::None);
        QCOMPARE(m.buttons, Buttons::Ok);
        QCOMPARE(m.text, QStringLiteral("Conversion was Finshed Successfully!\rLines read:  2\r"
                                        "Coordinates Lines:  0\r"));
        QCOMPARE(readAll(dir.filePath(QStringLiteral("a.dat"))), QByteArray());

        // A second run starts its counts afresh; the answer Yes replaces the file.
        write(obsPath, observations());
        s.dialogs.messages.clear();
        s.convert(obsPath, dir.filePath(QStringLiteral("a.dat")));
        QCOMPARE(s.dialogs.messages.size(), 2);
        QCOMPARE(s.dialogs.messages[0].defaultAnswer, Answer::Yes);
        QCOMPARE(s.dialogs.messages[0].buttons, Buttons::YesNo);
        QVERIFY(s.dialogs.messages[1].text.endsWith(QStringLiteral("\rOutput Format: Autocogo 3")));
        QCOMPARE(s.module.LineCount, 13);
        QCOMPARE(readAll(dir.filePath(QStringLiteral("a.dat"))), library(observations(), 3));
        QVERIFY(s.port.isOpen());
    }

    void answeringNoTouchesNothing() {
        QTemporaryDir dir;
        Scripted s;
        s.module.LineCount = 77;
        const QString obsPath = dir.filePath(QStringLiteral("a.sdr"));
        write(obsPath, observations());
        write(dir.filePath(QStringLiteral("a.dat")), "keep me");
        s.dialogs.answers.push_back(Answer::No);
        s.convert(obsPath, dir.filePath(QStringLiteral("a.dat")));
        QCOMPARE(s.dialogs.messages.size(), 1);  // the question, and no closing message
        QCOMPARE(s.dialogs.messages[0].text,
                 QStringLiteral("File Exists! Do you want to replace? "));
        QCOMPARE(s.dialogs.messages[0].icon, Icon::Critical);
        QCOMPARE(readAll(dir.filePath(QStringLiteral("a.dat"))), QByteArray("keep me"));
        QCOMPARE(s.module.LineCount, 77);
    }

    void theSameFileIsRefusedBeforeAnyQuestion() {
        QTemporaryDir dir;
        Scripted s;
        const QString obsPath = dir.filePath(QStringLiteral("a.sdr"));
        write(obsPath, observations());
        QVERIFY(QFile::link(obsPath, dir.filePath(QStringLiteral("link.dat"))));
        s.convert(obsPath, dir.filePath(QStringLiteral("link.dat")));
        QCOMPARE(s.onlyProblem(), QStringLiteral("The Output File is the Observation File itself!\r"
                                                 "Please choose another Output File."));
        QCOMPARE(readAll(obsPath), observations());
    }

    void filesThatCannotBeUsed() {
        QTemporaryDir dir;
        const QString notFound =
            QStringLiteral("File Not Found or invalid path!\rPlease select again! ");
        const QString out = dir.filePath(QStringLiteral("out.dat"));
        for (const QString& missing :
             {dir.filePath(QStringLiteral("missing.sdr")),
              dir.filePath(QStringLiteral("no/folder/a.sdr")), QStringLiteral("   ")}) {
            Scripted s;
            s.convert(missing, out);
            QCOMPARE(s.onlyProblem(), notFound);
            QVERIFY(!QFile::exists(out));  // the output path stays untouched
        }

        Scripted folder;
        folder.convert(dir.path(), out);
        QCOMPARE(folder.onlyProblem(),
                 QStringLiteral("Could not read the Observation File %1\rIs a directory")
                     .arg(dir.path()));

        const QString obsPath = dir.filePath(QStringLiteral("a.sdr"));
        write(obsPath, observations());
        Scripted output;
        const QString badOut = dir.filePath(QStringLiteral("no/folder/out.dat"));
        output.convert(obsPath, badOut);
        QCOMPARE(output.onlyProblem(),
                 QStringLiteral("Could not write the Output File %1\rNo such file or directory")
                     .arg(badOut));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{QStringLiteral("a.sdr")});
    }
};

QTEST_MAIN(ConvertCommandTest)
#include "convert_command_test.moc"
