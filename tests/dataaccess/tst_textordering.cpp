// The ledger's text ordering (NOCASE): one total order, the same whatever the store of sort keys
// it keeps holds.
#include "dataaccess/jetfunctions.h"

#include <QTest>

#include <algorithm>

class TestTextOrdering : public QObject
{
    Q_OBJECT
private slots:
    void oneOrderInEveryStateOfTheStore();
    void mixedLists_data();
    void mixedLists();
};

namespace {

// Texts where orderings part: empty, NULs that collate as nothing, letter case, blanks and digits
// the short road for plain letters takes, Chinese by pronunciation, and mixtures of them.
QList<QByteArray> trickyTexts()
{
    const QByteArray nul(1, '\0');
    QList<QByteArray> texts = {"", nul, QByteArray(101, '\0'), nul + "a", "a" + nul, "a", "A", "ab", "aB", "Ab", "a b",
                               " ", "  ", "b", "1", "10", "9", "1a", "Tom", "tom", "Tom's", "tom's", "é", "e", "E",
                               "ｂ", "生活", "生活" + nul, nul + "生活", "shenghuo", "Sheng", "张三", "张", "张三a",
                               "张三A", "a张三", "A张三", "1张", "李四", "早餐12", "早餐7", "😀", "a😀"};
    return texts;
}

int sign(int r)
{
    return (r > 0) - (r < 0);
}

int compare(const QByteArray &a, const QByteArray &b)
{
    return sign(jetCompare(a.constData(), int(a.size()), b.constData(), int(b.size())));
}

// Every pair's answer, each asked of a store in the state prepare() leaves.
QList<QList<int>> answers(const QList<QByteArray> &texts, const std::function<void()> &prepare)
{
    QList<QList<int>> table;
    for (const QByteArray &a : texts) {
        table.append(QList<int>());
        for (const QByteArray &b : texts) {
            prepare();
            table.last().append(compare(a, b));
        }
    }
    return table;
}

void fillStore()
{
    for (int i = 0; i < 20000; ++i) {
        const QByteArray text = QStringLiteral("项目%1").arg(i).toUtf8();
        jetCompare(text.constData(), int(text.size()), "早餐", 6);
    }
}

} // namespace

void TestTextOrdering::oneOrderInEveryStateOfTheStore()
{
    const QList<QByteArray> texts = trickyTexts();
    const qsizetype n = texts.size();
    const QList<QList<int>> empty = answers(texts, [] { forgetKeptSortKeys(); });

    // Full before any of the texts came: every one of them is new to it.
    forgetKeptSortKeys();
    fillStore();
    const QList<QList<int>> full = answers(texts, [] {});
    // Half of the texts kept, then full: one side of a pair kept, the other not.
    forgetKeptSortKeys();
    for (qsizetype i = 0; i < n; i += 2)
        compare(texts[i], texts[i]);
    fillStore();
    const QList<QList<int>> mixed = answers(texts, [] {});

    for (qsizetype i = 0; i < n; ++i) {
        for (qsizetype j = 0; j < n; ++j) {
            const QByteArray pair = texts[i].toPercentEncoding() + " vs " + texts[j].toPercentEncoding();
            QVERIFY2(full[i][j] == empty[i][j], pair + ": full store " + QByteArray::number(full[i][j]));
            QVERIFY2(mixed[i][j] == empty[i][j], pair + ": half kept " + QByteArray::number(mixed[i][j]));
            QVERIFY2(empty[i][j] == -empty[j][i], pair);
        }
        QCOMPARE(empty[i][i], 0);
    }
    // Transitive: a ≤ b and b ≤ c give a < c, or a = c when both are equal.
    for (qsizetype a = 0; a < n; ++a)
        for (qsizetype b = 0; b < n; ++b)
            for (qsizetype c = 0; c < n; ++c)
                if (empty[a][b] <= 0 && empty[b][c] <= 0) {
                    const QByteArray triple = texts[a].toPercentEncoding() + ", " + texts[b].toPercentEncoding() + ", "
                        + texts[c].toPercentEncoding();
                    const bool bothEqual = empty[a][b] == 0 && empty[b][c] == 0;
                    QVERIFY2(empty[a][c] == (bothEqual ? 0 : -1), triple);
                }
    // The case that once parted: the empty text and NULs, which collate as nothing.
    QCOMPARE(empty[0][2], 0);
}

void TestTextOrdering::mixedLists_data()
{
    QTest::addColumn<QStringList>("sorted");
    // Digits and Latin letters before Chinese text, letters without regard to case, Chinese by
    // pronunciation: the order the Windows program's lists showed.
    QTest::newRow("user names") << QStringList{"dave", "gbkuser", "张三丰"};
    QTest::newRow("persons") << QStringList{"Alice", "bob", "Carol", "李四", "王五", "张三"};
    QTest::newRow("item names") << QStringList{"10号线", "7-11", "Coffee", "KFC", "tea", "咖啡", "午餐", "早餐"};
    QTest::newRow("case and blanks") << QStringList{"a b", "AB", "abc", "Abd", "阿姨"};
    QTest::newRow("Latin inside Chinese") << QStringList{"张", "张3", "张a", "张B", "张三"};
    QTest::newRow("pronunciation, then tone") << QStringList{"shenghuo", "生活", "生日", "省钱"};
}

void TestTextOrdering::mixedLists()
{
    QFETCH(QStringList, sorted);
    forgetKeptSortKeys();
    // Every reversed and rotated start sorts back to the same list.
    for (qsizetype turn = 0; turn < sorted.size(); ++turn) {
        QStringList texts = sorted;
        std::reverse(texts.begin(), texts.end());
        std::rotate(texts.begin(), texts.begin() + turn, texts.end());
        std::stable_sort(texts.begin(), texts.end(), [](const QString &a, const QString &b) {
            const QByteArray x = a.toUtf8();
            const QByteArray y = b.toUtf8();
            return jetCompare(x.constData(), int(x.size()), y.constData(), int(y.size())) < 0;
        });
        QCOMPARE(texts, sorted);
    }
}

QTEST_APPLESS_MAIN(TestTextOrdering)
#include "tst_textordering.moc"
