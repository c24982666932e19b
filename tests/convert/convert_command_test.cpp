// The Convert command in the real main window: once with the real message boxes
// answered like a user, then its checks and failures with scripted dialogs.
#include <QDir>
#include <QMessageBox>
#include <QTimer>

#include "ModalAnswerer.h"
#include "WindowRig.h"
#include "core/conversion.h"

using namespace testing_support;
using platform::Answer;

namespace {

// Twelve coordinate records in their fixed columns, one without an elevation.
QByteArray observations() {
    QByteArray text;
    for (int i = 1; i <= 12; ++i)
        text += QString::asprintf(
                    "    R4    TR %3d  %c       21.259              59.620              %6s\r\n",
                    100 + i, i % 2 ? 'X' : 'y', i == 5 ? "" : "11.256")
                    .toLatin1();
    return text + "END";
}

// What the conversion loop itself makes of `text`.
QByteArray converted(const QByteArray& text, int layout) {
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

bool write(const QString& path, const QByteArray& data) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(data) == data.size();
}

QStringList filesIn(const QString& dir) {
    return QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

}  // namespace

class ConvertCommandTest : public QObject {
    Q_OBJECT
private slots:
    void convertsThroughTheRealWindowAndDialogs() {
        WindowRig r(true);
        const QString obsPath = r.file(u"JOB1.sdr"_s), outPath = r.file(u"JOB1.dat"_s);
        QVERIFY(write(obsPath, observations()));
        QVERIFY(write(outPath,
                      "an older coordinate file, longer than the new one" + QByteArray(5000, '.')));
        QVERIFY(QTest::qWaitForWindowExposed(&r.w));
        r.module.RunSettings.OutputFormat = 2;
        r.EdObs->setFocus();
        QTest::keyClicks(r.EdObs, obsPath);
        r.EdOut->setFocus();
        r.EdOut->clear();  // whatever leaving the observation field proposed
        QTest::keyClicks(r.EdOut, outPath);

        ModalAnswerer answerer;
        answerer.handleNext([&](QWidget* modal) {  // Yes, when it is critical and the default
            auto* box = qobject_cast<QMessageBox*>(modal);
            if (!box || box->icon() != QMessageBox::Critical || !box->button(QMessageBox::No) ||
                box->defaultButton() != box->button(QMessageBox::Yes))
                return false;
            answerer.titles << box->windowTitle();
            answerer.texts << box->text();
            QTimer::singleShot(0, box->defaultButton(), &QAbstractButton::click);
            return true;
        });
        answerer.pressButton(u"OK"_s);
        r.click("CmdCon");
        QVERIFY(waitFor([&] { return answerer.pending() == 0; }));
        QCOMPARE(answerer.unexpected, 0);
        QCOMPARE(answerer.titles, QStringList({"Problem", "Finito"}));
        QCOMPARE(answerer.texts,
                 QStringList({"File Exists! Do you want to replace? ",
                              "Conversion was Finshed Successfully!\nLines read:  13\n"
                              "Coordinates Lines:  12\nOutput Format: Autocogo 2\n"
                              "Not written:  1: 1 without Z (105)"}));
        QCOMPARE(readAll(outPath), converted(observations(), 2));
        QVERIFY(r.module.LineCount == 13 && r.module.CoordinateCount == 12);
        QCOMPARE(filesIn(r.home()), QStringList({"JOB1.dat", "JOB1.sdr"}));  // no leftovers
    }

    void closingMessageCountsAndTheReplaceQuestion() {
        WindowRig r;
        r.module.RunSettings.OutputFormat = 3;
        QVERIFY(r.port.open());  // a download's files and port are not the command's to close
        const QString obsPath = r.file(u"a.sdr"_s), outPath = r.file(u"a.dat"_s);
        QVERIFY(write(obsPath, "one\rtwo\n"));
        r.EdObs->setText(obsPath);
        r.EdOut->setText(outPath);
        r.w.CmdCon_Click();  // nothing to write: no success, and no empty file
        QCOMPARE(r.shown(), QStringList{problem(u"Nothing was written to %1!\rLines read:  2\r"
                                                "Coordinates Lines:  0\r"_s.arg(outPath))});
        QVERIFY(!QFile::exists(outPath));

        // No keeps the file and the counts of the last run.
        QVERIFY(write(obsPath, observations()) && write(outPath, "keep me"));
        r.dialogs.messages.clear();
        r.dialogs.answers = {Answer::No};
        r.w.CmdCon_Click();
        QCOMPARE(r.shown(), QStringList{message(u"Problem"_s, platform::Icon::Critical,
                                                platform::Buttons::YesNo,
                                                u"File Exists! Do you want to replace? "_s)});
        QCOMPARE(r.dialogs.messages[0].defaultAnswer, Answer::Yes);
        QCOMPARE(readAll(outPath), QByteArray("keep me"));
        QCOMPARE(r.module.LineCount, 2);

        // Yes replaces it, and the counts start afresh.
        r.dialogs.messages.clear();
        r.dialogs.answers = {Answer::Yes};
        r.w.CmdCon_Click();
        QCOMPARE(r.dialogs.messages.size(), 2);
        QVERIFY(r.dialogs.messages[1].text.endsWith(
            u"\rOutput Format: Autocogo 3\rNot written:  1: 1 without Z (105)"_s));
        QCOMPARE(r.module.LineCount, 13);
        QCOMPARE(readAll(outPath), converted(observations(), 3));
        QVERIFY(r.port.isOpen());
    }

    void refusalsTouchNothing_data() {
        QTest::addColumn<QString>("observation");  // %1 is the folder of the files
        QTest::addColumn<QString>("output");
        QTest::addColumn<QString>("problem");
        QTest::addColumn<QString>("focus");
        const QString notFound = u"File Not Found or invalid path!\rPlease select again! "_s;
        QTest::newRow("no observation file") << ""
                                             << ""
                                             << "Empty field of Observation File"
                                             << "EdObs";
        QTest::newRow("no output file") << "x.sdr"
                                        << ""
                                        << "Empty field of Output File"
                                        << "EdOut";
        QTest::newRow("missing") << "%1/missing.sdr"
                                 << "%1/out.dat" << notFound << "";
        QTest::newRow("missing folder") << "%1/no/folder/a.sdr"
                                        << "%1/out.dat" << notFound << "";
        QTest::newRow("blanks") << "   "
                                << "%1/out.dat" << notFound << "";
        QTest::newRow("a folder") << "%1"
                                  << "%1/out.dat"
                                  << "Could not read the Observation File %1\rIs a directory"
                                  << "";
        QTest::newRow("the same file")
            << "%1/a.sdr"
            << "%1/link.dat"
            << "The Output File is the Observation File itself!\rPlease choose another Output File."
            << "";
        QTest::newRow("output not creatable")
            << "%1/a.sdr"
            << "%1/no/folder/out.dat"
            << "Could not write the Output File %1/no/folder/out.dat\rNo such file or directory"
            << "";
    }

    void refusalsTouchNothing() {
        QFETCH(QString, observation);
        QFETCH(QString, output);
        QFETCH(QString, problem);
        QFETCH(QString, focus);
        WindowRig r;
        QVERIFY(QTest::qWaitForWindowActive(&r.w));
        const QString obsPath = r.file(u"a.sdr"_s);
        QVERIFY(write(obsPath, observations()) && QFile::link(obsPath, r.file(u"link.dat"_s)));
        child<QPushButton>(&r.w, "CmdCon")->setFocus();  // as a click on it would
        r.EdObs->setText(observation.replace(u"%1"_s, r.home()));
        r.EdOut->setText(output.replace(u"%1"_s, r.home()));
        r.w.CmdCon_Click();
        QCOMPARE(r.shown(),
                 QStringList{testing_support::problem(problem.replace(u"%1"_s, r.home()))});
        if (!focus.isEmpty()) QVERIFY(child<QLineEdit>(&r.w, qPrintable(focus))->hasFocus());
        QCOMPARE(filesIn(r.home()), QStringList({"a.sdr", "link.dat"}));
        QCOMPARE(readAll(obsPath), observations());
    }
};

QTEST_MAIN(ConvertCommandTest)
#include "convert_command_test.moc"
