// The translator's fuzz target run over its regression corpus (fuzz/corpus): every text that
// once crashed the process, or gave a wrong answer, must now run or fail with an error.

#include <QDir>
#include <QFile>
#include <QtTest>

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size);

class TestFuzzReplay : public QObject {
    Q_OBJECT

private slots:
    void replaysTheCorpus_data()
    {
        QTest::addColumn<QString>("file");
        const QDir corpus(QStringLiteral(KADU_FUZZ_CORPUS));
        const QStringList files = corpus.entryList(QDir::Files, QDir::Name);
        QVERIFY(!files.isEmpty());
        for (const QString &name : files)
            QTest::newRow(qPrintable(name)) << corpus.filePath(name);
    }
    void replaysTheCorpus()
    {
        QFETCH(QString, file);
        QFile input(file);
        QVERIFY(input.open(QIODevice::ReadOnly));
        const QByteArray text = input.readAll();
        QCOMPARE(LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t *>(text.constData()), std::size_t(text.size())), 0);
    }
};

QTEST_GUILESS_MAIN(TestFuzzReplay)
#include "tst_fuzzreplay.moc"
