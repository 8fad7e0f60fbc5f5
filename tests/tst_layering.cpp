// SPDX-License-Identifier: GPL-3.0-or-later
// The program's layers: a source may include only its own folder and the folders before it in the layer
// order (ZENTIK_LAYERS, set where the build lists the layers), no two folders include each other, and the
// layers below the windows (ZENTIK_WIDGET_FREE_LAYERS) include no widget headers.

#include <QDirIterator>
#include <QFile>
#include <QHash>
#include <QLibraryInfo>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

namespace {

// Qt modules whose classes are widgets or need them.
const QStringList kWidgetModules{QStringLiteral("QtWidgets"), QStringLiteral("QtCharts"),
                                 QStringLiteral("QtPrintSupport"), QStringLiteral("QtOpenGLWidgets"),
                                 QStringLiteral("QtSvgWidgets")};

QStringList listFromEnvironment(const char* name)
{
    return qEnvironmentVariable(name).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

// The module of a Qt header named as <QtModule/Name>, <QtModule> or <Name>; empty when it is none of Qt's.
QString qtModuleOf(const QString& header)
{
    const QString module = header.section(QLatin1Char('/'), 0, 0);
    if (header.contains(QLatin1Char('/')) || module.startsWith(QLatin1String("Qt")))
        return module;
    const QDir headers(QLibraryInfo::path(QLibraryInfo::HeadersPath));
    for (const QString& candidate : kWidgetModules)
        if (QFile::exists(headers.filePath(candidate + QLatin1Char('/') + header)))
            return candidate;
    return QString();
}

// Every problem of the sources under root, one line each, naming the file and line.
QStringList layeringProblems(const QString& root, const QStringList& layers, const QStringList& widgetFree)
{
    static const QRegularExpression include(QStringLiteral(R"(^\s*#\s*include\s*([<"])([^">]+)[">])"));
    QStringList problems;
    QHash<QString, QString> firstUse; // "from to" -> "file:line"
    for (const QString& layer : layers) {
        QDirIterator files(QDir(root).filePath(layer), {QStringLiteral("*.h"), QStringLiteral("*.cpp")},
                           QDir::Files, QDirIterator::Subdirectories);
        while (files.hasNext()) {
            QFile file(files.next());
            if (!file.open(QIODevice::ReadOnly)) {
                problems << file.fileName() + QStringLiteral(": cannot be read");
                continue;
            }
            const QString name = QDir(root).relativeFilePath(file.fileName());
            const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
            for (int i = 0; i < lines.size(); ++i) {
                const QRegularExpressionMatch m = include.match(lines[i]);
                if (!m.hasMatch())
                    continue;
                const QString where = QStringLiteral("%1:%2").arg(name).arg(i + 1);
                const QString target = m.captured(2);
                if (m.captured(1) == QLatin1String("<")) {
                    if (widgetFree.contains(layer) && kWidgetModules.contains(qtModuleOf(target)))
                        problems << QStringLiteral("%1: includes <%2>, a widget header, below the windows")
                                        .arg(where, target);
                    continue;
                }
                if (!target.contains(QLatin1Char('/')))
                    continue; // its own folder, or generated (Version.h, moc files)
                const QString folder = target.section(QLatin1Char('/'), 0, 0);
                if (!layers.contains(folder)) {
                    problems
                        << QStringLiteral("%1: includes \"%2\", which is in no layer").arg(where, target);
                    continue;
                }
                if (folder == layer)
                    continue;
                if (layers.indexOf(folder) > layers.indexOf(layer))
                    problems << QStringLiteral("%1: includes \"%2\", but %3 comes after %4")
                                    .arg(where, target, folder, layer);
                const QString edge = layer + QLatin1Char(' ') + folder;
                if (!firstUse.contains(edge))
                    firstUse.insert(edge, where);
            }
        }
    }
    for (int a = 0; a < layers.size(); ++a)
        for (int b = a + 1; b < layers.size(); ++b) {
            const QString up = firstUse.value(layers[a] + QLatin1Char(' ') + layers[b]);
            const QString down = firstUse.value(layers[b] + QLatin1Char(' ') + layers[a]);
            if (!up.isEmpty() && !down.isEmpty())
                problems << QStringLiteral("%1 and %2 include each other (%3, %4)")
                                .arg(layers[a], layers[b], up, down);
        }
    return problems;
}

// Every circle of includes between units (a header and its source are one unit, "folder/Name"), each as
// "a -> b -> a": a unit that needs itself through others cannot be read, built or moved alone.
QStringList includeCircles(const QString& root, const QStringList& folders)
{
    static const QRegularExpression include(QStringLiteral(R"(^\s*#\s*include\s*"([^"]+/[^"/]+)\.h")"),
                                            QRegularExpression::MultilineOption);
    QMap<QString, QSet<QString>> uses;
    for (const QString& folder : folders) {
        QDirIterator files(QDir(root).filePath(folder), {QStringLiteral("*.h"), QStringLiteral("*.cpp")},
                           QDir::Files, QDirIterator::Subdirectories);
        while (files.hasNext()) {
            QFile file(files.next());
            if (!file.open(QIODevice::ReadOnly))
                continue;
            const QString rel = QDir(root).relativeFilePath(file.fileName());
            const QString unit = rel.left(rel.lastIndexOf(QLatin1Char('.')));
            QSet<QString>& targets = uses[unit];
            auto matches = include.globalMatch(QString::fromUtf8(file.readAll()));
            while (matches.hasNext()) {
                const QString target = matches.next().captured(1);
                if (target != unit)
                    targets.insert(target);
            }
        }
    }
    // Depth first; a unit met again while it is still on the path closes a circle.
    QStringList circles;
    QHash<QString, int> state; // 1 on the path, 2 done
    QStringList path;
    std::function<void(const QString&)> visit = [&](const QString& unit) {
        state[unit] = 1;
        path << unit;
        QStringList targets = uses.value(unit).values();
        targets.sort();
        for (const QString& target : targets) {
            if (state.value(target) == 1)
                circles << (path.mid(path.indexOf(target)) << target).join(QStringLiteral(" -> "));
            else if (state.value(target) == 0 && uses.contains(target))
                visit(target);
        }
        path.removeLast();
        state[unit] = 2;
    };
    for (auto it = uses.cbegin(); it != uses.cend(); ++it)
        if (state.value(it.key()) == 0)
            visit(it.key());
    return circles;
}

} // namespace

class tst_layering : public QObject
{
    Q_OBJECT

private slots:
    void program_includesOnlyEarlierLayers();
    void program_hasNoIncludeCircle();
    void everySource_namesItsLicence();
    void check_findsEachKindOfProblem_data();
    void check_findsEachKindOfProblem();
    void check_findsCircleWithinOneFolder();
};

void tst_layering::program_includesOnlyEarlierLayers()
{
    const QStringList layers = listFromEnvironment("ZENTIK_LAYERS");
    QVERIFY2(layers.size() > 1, "ZENTIK_LAYERS names no layers");
    QVERIFY(QDir(QLibraryInfo::path(QLibraryInfo::HeadersPath)).exists(QStringLiteral("QtWidgets")));
    const QStringList problems = layeringProblems(qEnvironmentVariable("ZENTIK_SOURCE_DIR"), layers,
                                                  listFromEnvironment("ZENTIK_WIDGET_FREE_LAYERS"));
    QVERIFY2(problems.isEmpty(), qPrintable(QLatin1Char('\n') + problems.join(QLatin1Char('\n'))));
}

void tst_layering::program_hasNoIncludeCircle()
{
    const QStringList circles =
        includeCircles(qEnvironmentVariable("ZENTIK_SOURCE_DIR"), listFromEnvironment("ZENTIK_LAYERS"));
    QVERIFY2(circles.isEmpty(), qPrintable(circles.join(QLatin1Char('\n'))));
}

// The program is free software under the GPL: every source says so in its first line, the licence's SPDX
// identifier, so that a file copied out of the tree still carries it.
void tst_layering::everySource_namesItsLicence()
{
    const QDir root(qEnvironmentVariable("ZENTIK_SOURCE_DIR"));
    QStringList missing;
    for (const QString& folder : listFromEnvironment("ZENTIK_LAYERS") + QStringList{"tests", "bench"}) {
        QDirIterator files(root.filePath(folder), {QStringLiteral("*.h"), QStringLiteral("*.cpp")},
                           QDir::Files, QDirIterator::Subdirectories);
        while (files.hasNext()) {
            QFile file(files.next());
            if (!file.open(QIODevice::ReadOnly) ||
                file.readLine().trimmed() != "// SPDX-License-Identifier: GPL-3.0-or-later")
                missing << root.relativeFilePath(file.fileName());
        }
    }
    QVERIFY2(missing.isEmpty(), qPrintable(missing.join(QLatin1String(", "))));
}

void tst_layering::check_findsEachKindOfProblem_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QString>("problem"); // empty: none

    QTest::newRow("earlier layer") << "high/a.cpp" << QByteArray("#include \"low/b.h\"") << QString();
    QTest::newRow("generated header") << "low/a.cpp" << QByteArray("#include \"Version.h\"") << QString();
    QTest::newRow("core header below the windows")
        << "low/a.h" << QByteArray("#include <QObject>") << QString();
    QTest::newRow("widget header in a window") << "high/a.h" << QByteArray("#include <QDialog>") << QString();
    QTest::newRow("later layer") << "low/a.cpp" << QByteArray("  #  include \"high/b.h\"")
                                 << "low/a.cpp:2: includes \"high/b.h\", but high comes after low";
    QTest::newRow("no layer") << "high/a.cpp" << QByteArray("#include \"tests/common/b.h\"")
                              << "high/a.cpp:2: includes \"tests/common/b.h\", which is in no layer";
    QTest::newRow("widget class below the windows")
        << "low/a.h" << QByteArray("#include <QMdiArea>")
        << "low/a.h:2: includes <QMdiArea>, a widget header, below the windows";
    QTest::newRow("widget module below the windows")
        << "low/a.h" << QByteArray("#include <QtWidgets/QLabel>")
        << "low/a.h:2: includes <QtWidgets/QLabel>, a widget header, below the windows";
}

void tst_layering::check_findsEachKindOfProblem()
{
    QFETCH(QString, file);
    QFETCH(QByteArray, line);
    QFETCH(QString, problem);
    QTemporaryDir root;
    QDir(root.path()).mkpath(QStringLiteral("low"));
    QDir(root.path()).mkpath(QStringLiteral("high"));
    QFile source(root.filePath(file));
    QVERIFY(source.open(QIODevice::WriteOnly));
    source.write("// one line first\n" + line + "\n");
    source.close();

    const QStringList layers{QStringLiteral("low"), QStringLiteral("high")};
    const QStringList problems = layeringProblems(root.path(), layers, {QStringLiteral("low")});
    if (problem.isEmpty())
        QCOMPARE(problems, QStringList());
    else
        QCOMPARE(problems, QStringList{problem});

    // An include back the other way makes the two folders include each other.
    if (problem.contains(QLatin1String("comes after"))) {
        QFile back(root.filePath(QStringLiteral("high/c.cpp")));
        QVERIFY(back.open(QIODevice::WriteOnly));
        back.write("#include \"low/a.h\"\n");
        back.close();
        QCOMPARE(layeringProblems(root.path(), layers, {}).last(),
                 QStringLiteral("low and high include each other (low/a.cpp:2, high/c.cpp:1)"));
    }
}

// Units of one folder may include each other, but not round in a circle.
void tst_layering::check_findsCircleWithinOneFolder()
{
    QTemporaryDir root;
    QDir(root.path()).mkpath(QStringLiteral("low"));
    const auto write = [&](const char* name, const QByteArray& content) {
        QFile file(root.filePath(QString::fromLatin1(name)));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    };
    write("low/a.h", "#include \"low/b.h\"\n");
    write("low/b.h", "#pragma once\n");
    write("low/c.cpp", "#include \"low/a.h\"\n");
    QCOMPARE(includeCircles(root.path(), {QStringLiteral("low")}), QStringList());
    write("low/b.cpp", "#include \"low/b.h\"\n#include \"low/a.h\"\n");
    QCOMPARE(includeCircles(root.path(), {QStringLiteral("low")}), QStringList{"low/a -> low/b -> low/a"});
}

QTEST_GUILESS_MAIN(tst_layering)
#include "tst_layering.moc"
