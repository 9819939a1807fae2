#pragma once

#include <QString>

#include <stdexcept>

// Where the program keeps everything it writes (the database, its server file, backups, session
// files, the copies kept by an upgrade). A portable program keeps it beside itself, as a program
// run from its build folder does; an installed one in the user's data folder, since it cannot
// write beside a program file in /usr/bin. Nothing is ever moved from one place to the other.
struct DataFolder {
    // With its trailing separator, as ProgramFolder is.
    QString folder;
    // The file that names the school's server: the folder's own `veriler.baglanti`, or for an
    // installed program without one the computer-wide file when there is one. It need not exist.
    QString serverSettingFile;
};

// The folder cannot be used; the message names it, and nothing was written anywhere.
class DataFolderError : public std::runtime_error {
public:
    explicit DataFolderError(const QString& message)
        : std::runtime_error(message.toStdString()), m_message(message) {}
    QString message() const { return m_message; }

private:
    QString m_message;
};

// The file whose presence beside the program keeps everything there.
inline const QString PortableMarker = QStringLiteral("tasinabilir");
// Read by every account of the computer when its own data folder names no server, so that an
// administrator points a desk at the school's server once.
inline const QString ComputerServerSettingFile = QStringLiteral("/etc/kalvista/veriler.baglanti");

// Portable when the program's folder holds the marker, `veriler.db` or `veriler.baglanti`.
bool isPortable(const QString& programFolder);

// The folder to use for the program in `programFolder`: that folder when it is portable, otherwise
// `userDataFolder`, made when missing. Throws DataFolderError when the folder cannot be made or
// written, or the server file chosen cannot be read.
DataFolder chooseDataFolder(const QString& programFolder, const QString& userDataFolder,
                            const QString& computerServerSettingFile = ComputerServerSettingFile);
