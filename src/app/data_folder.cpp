#include "app/data_folder.h"

#include "app/file_error.h"
#include "data/connection.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include <fcntl.h>
#include <unistd.h>

namespace {

QString native(const QString& path) {
    return QDir::toNativeSeparators(path);
}

QString withSeparator(const QString& folder) {
    const QString path = native(QDir::cleanPath(folder));
    return path.endsWith(QDir::separator()) ? path : path + QDir::separator();
}

// access(2) rather than a test file: deciding where to write must not write anything.
// `problem` names the folder as %1.
void requireWritable(const QString& folder, const QString& problem) {
    if (::access(QFile::encodeName(folder).constData(), W_OK | X_OK) == 0)
        return;
    const int error = errno;
    throw DataFolderError(
        QString("%1\n\n%2\nProgram başlatılmadı.").arg(problem.arg(native(folder)), fileErrorReason(error)));
}

void requireReadable(const QString& file, const QString& advice) {
    if (!QFileInfo::exists(file))
        return;
    const int fd = ::open(QFile::encodeName(file).constData(), O_RDONLY);
    if (fd >= 0) {
        ::close(fd);
        return;
    }
    const int error = errno;
    throw DataFolderError(QString("Sunucu bağlantı dosyası okunamadı:\n%1\n\n%2 (%3)\nProgram başlatılmadı.")
                              .arg(native(file), advice, QString::fromLocal8Bit(std::strerror(error))));
}

} // namespace

bool isPortable(const QString& programFolder) {
    const QDir folder(programFolder);
    return QFileInfo::exists(folder.filePath(PortableMarker)) ||
           QFileInfo::exists(Connection::dataSource(Connection::connectionText(programFolder))) ||
           QFileInfo::exists(Connection::serverSettingFile(programFolder));
}

DataFolder chooseDataFolder(const QString& programFolder, const QString& userDataFolder,
                            const QString& computerServerSettingFile) {
    if (isPortable(programFolder)) {
        requireWritable(programFolder,
                        QString("Program verilerini kendi klasöründe tutuyor (klasörde \"%1\" "
                                "dosyası ya da veritabanı var), ama bu klasöre yazılamıyor:\n%2")
                            .arg(PortableMarker, "%1"));
        const QString own = Connection::serverSettingFile(programFolder);
        requireReadable(own, "Dosyayı okuma izniniz yok.");
        return {withSeparator(programFolder), own};
    }
    if (userDataFolder.isEmpty())
        throw DataFolderError("Kullanıcının veri klasörü belirlenemedi (HOME tanımlı değil).\nProgram "
                              "başlatılmadı.");
    const QString folder = withSeparator(userDataFolder);
    const QString own = Connection::serverSettingFile(folder);
    const bool computerWide = !QFileInfo::exists(own) && QFileInfo::exists(computerServerSettingFile);
    // Checked before the folder is made: a start that cannot go on writes nothing.
    if (computerWide)
        requireReadable(computerServerSettingFile,
                        QString("Bu dosya bilgisayarın bütün kullanıcılarınca okunabilmeli; bilgisayarın "
                                "yöneticisi \"sudo chmod 644 %1\" ile okunur yapabilir.")
                            .arg(computerServerSettingFile));
    else
        requireReadable(own, "Dosyayı okuma izniniz yok.");
    std::error_code failed;
    std::filesystem::create_directories(QFile::encodeName(userDataFolder).toStdString(), failed);
    if (failed)
        throw DataFolderError(
            QString("Programın veri klasörü oluşturulamadı:\n%1\n\n%2\nProgram başlatılmadı.")
                .arg(native(userDataFolder), fileErrorReason(failed.value())));
    requireWritable(userDataFolder, "Programın veri klasörüne yazılamıyor:\n%1");
    return {folder, computerWide ? computerServerSettingFile : own};
}
