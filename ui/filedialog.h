#pragma once
// The open and save file dialogs of the windows. They take the filter in the form the program
// writes it, "图片文件(*.bmp,*.jpg)|*.bmp;*.jpg", a default extension and a proposed name.
// Every dialog opens in the folder of the last chosen file, kept in the settings file, and in the
// home folder until a file was chosen. Tests queue the answers instead of a person choosing.
#include <QObject>
#include <QStringList>

class QWidget;

class FileDialog : public QObject
{
    Q_OBJECT
public:
    explicit FileDialog(QObject *parent = nullptr);

    void setTitle(const QString &text) { title = text; }
    void setFilter(const QString &text) { filter = text; }
    QString filterText() const { return filter; }
    // Without a dot, "xls"; added to a saved name that the person typed without one.
    void setDefaultExtension(const QString &extension);
    QString defaultExtension() const { return extension; }
    // The name proposed when the dialog opens, and after it closes the chosen path.
    void setFileName(const QString &path) { name = path; }
    QString fileName() const { return name; }
    // Whether the save dialog asks before an existing file is chosen. A caller that adds to an
    // existing file instead of replacing it turns the question off, since it would be untrue.
    void setConfirmOverwrite(bool ask) { confirmOverwrite = ask; }
    // The filter chosen when the dialog closed, from 0; -1 when none was. Choosing a filter of
    // one extension makes it the extension a typed name without one gets.
    int chosenFilter() const { return filterChosen; }

    // The folder the next dialog opens in: the last chosen file's folder while it exists, else
    // the home folder.
    static QString startFolder();

    // True when a file was chosen; fileName() then holds its full path. Cancel gives false and
    // leaves the proposed name.
    bool showOpen(QWidget *parent = nullptr);
    bool showSave(QWidget *parent = nullptr);

    // "描述(*.a,*.b)|*.a;*.b|..." in the form the toolkit's dialog takes: "描述 (*.a *.b);;...".
    static QString toolkitFilter(const QString &filter);
    // A saved name without an extension gets the default one.
    static QString withDefaultExtension(const QString &path, const QString &extension);

    // The next dialogs, of any instance, answer with these paths in turn instead of opening;
    // an empty path answers cancel.
    static void queueAnswers(const QStringList &paths);
    static int queuedAnswers();
    // What the queued dialogs were opened with: "open" or "save", the filter and the proposed name.
    struct Opening
    {
        QString kind, filter, proposedName, defaultExtension;
        QString folder; // where the dialog opened
        bool confirmOverwrite = true;
    };
    static QList<Opening> takeOpenings();

private:
    bool show(QWidget *parent, bool save);

    QString title, filter, extension, name;
    bool confirmOverwrite = true;
    int filterChosen = -1;
};
