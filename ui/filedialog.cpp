#include "ui/filedialog.h"

#include "common/settingkeys.h"
#include "common/settings.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

namespace {
QStringList answers;
QList<FileDialog::Opening> openings;
bool answersQueued = false;

} // namespace

FileDialog::FileDialog(QObject *parent) : QObject(parent) {}

void FileDialog::setDefaultExtension(const QString &text)
{
    extension = text.startsWith(QLatin1Char('.')) ? text.mid(1) : text;
}

bool FileDialog::showOpen(QWidget *parent)
{
    return show(parent, false);
}

bool FileDialog::showSave(QWidget *parent)
{
    return show(parent, true);
}

bool FileDialog::show(QWidget *parent, bool save)
{
    QString chosen;
    const QString folder = startFolder();
    if (answersQueued) {
        openings.append({save ? QStringLiteral("save") : QStringLiteral("open"), filter, name, extension, folder,
                         confirmOverwrite});
        chosen = answers.isEmpty() ? QString() : answers.takeFirst();
        if (answers.isEmpty())
            answersQueued = false;
    } else {
        QFileDialog dialog(parent, title);
        dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
        dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
        dialog.setNameFilter(toolkitFilter(filter));
        dialog.setDefaultSuffix(extension);
        dialog.setOption(QFileDialog::DontConfirmOverwrite, !confirmOverwrite);
        dialog.setDirectory(folder);
        if (!name.isEmpty())
            dialog.selectFile(QFileInfo(name).fileName());
        const QStringList filters = toolkitFilter(filter).split(QStringLiteral(";;"));
        connect(&dialog, &QFileDialog::filterSelected, &dialog, [&](const QString &selected) {
            const QString patterns = selected.section(QLatin1Char('('), -1).chopped(1);
            if (!patterns.contains(QLatin1Char(' ')) && patterns.startsWith(QLatin1String("*.")))
                extension = patterns.mid(2);
            dialog.setDefaultSuffix(extension);
        });
        if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
            chosen = dialog.selectedFiles().constFirst();
            filterChosen = int(filters.indexOf(dialog.selectedNameFilter()));
        }
    }
    if (chosen.isEmpty())
        return false;
    name = save ? withDefaultExtension(chosen, extension) : chosen;
    writeSetting(SettingKey::fileDialogSection, SettingKey::lastFolder, QFileInfo(name).absolutePath());
    return true;
}

QString FileDialog::startFolder()
{
    const QString last = readSetting(SettingKey::fileDialogSection, SettingKey::lastFolder);
    if (!last.isEmpty() && QFileInfo(last).isDir())
        return last;
    return QDir::homePath();
}

QString FileDialog::toolkitFilter(const QString &text)
{
    // Pairs of description and patterns; the description's own bracket is replaced by the patterns.
    const QStringList parts = text.split(QLatin1Char('|'));
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts[i].trimmed();
        const int bracket = description.indexOf(QLatin1Char('('));
        if (bracket > 0)
            description = description.left(bracket).trimmed();
        QStringList patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (QString &p : patterns)
            p = p.trimmed();
        filters << QStringLiteral("%1 (%2)").arg(description, patterns.join(QLatin1Char(' ')));
    }
    if (filters.isEmpty() && !text.isEmpty())
        filters << text;
    return filters.join(QStringLiteral(";;"));
}

QString FileDialog::withDefaultExtension(const QString &path, const QString &extension)
{
    if (extension.isEmpty() || !QFileInfo(path).suffix().isEmpty())
        return path;
    return path + QLatin1Char('.') + extension;
}

void FileDialog::queueAnswers(const QStringList &paths)
{
    answers = paths;
    answersQueued = !paths.isEmpty();
    openings.clear();
}

int FileDialog::queuedAnswers()
{
    return answersQueued ? int(answers.size()) : 0;
}

QList<FileDialog::Opening> FileDialog::takeOpenings()
{
    return std::exchange(openings, {});
}
