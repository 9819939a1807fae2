#include "app/program_folder.h"

#include <QDir>

QString ProgramFolder;

QString programFolderOf(const QString& programFilePath) {
    const QString path = QDir::toNativeSeparators(programFilePath);
    const qsizetype cut = path.lastIndexOf(QDir::separator());
    QString folder = cut < 0 ? QString() : path.left(cut + 1);
    // A bare drive name ("C:") means its root folder.
    if (folder.size() <= 2 && !folder.endsWith(QDir::separator()))
        folder += QDir::separator();
    return folder;
}
