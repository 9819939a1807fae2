#include "app/command_line.h"

#include "data/backup.h"
#include "data/database_error.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QTextStream>

namespace CommandLine {
namespace {

const QString CheckOption = QStringLiteral("--denetle");

QString helpText() {
    return QString("Kullanım: kalvista [SEÇENEK]\n"
                   "Seçeneksiz başlatıldığında programın penceresini açar.\n"
                   "  --version        Programın sürümünü yazar.\n"
                   "  --help           Bu yardımı yazar.\n"
                   "  %1 DOSYA  Bir veritabanını ya da yedeğini değiştirmeden denetler; sağlamsa çıkış "
                   "kodu 0, değilse 1.\n")
        .arg(CheckOption);
}

// The file is never opened for writing: the checks read it through SQLite's read-only mode.
int check(const QString& file, QTextStream& out) {
    const QLocale turkish(QLocale::Turkish, QLocale::Turkey);
    out << "Denetlenen dosya: "
        << QDir::toNativeSeparators(QDir::cleanPath(QDir::current().absoluteFilePath(file))) << '\n';
    Backup::FileCheck result;
    try {
        result = Backup::checkFile(file);
    } catch (const DatabaseError& e) {
        result.refusal = e.message();
    }
    if (!result.refusal.isEmpty()) {
        out << "Sonuç: sorunlu: " << result.refusal << ".\n";
    } else {
        out << (result.sound() ? "Sonuç: sağlam.\n" : "Sonuç: sorunlu:\n");
        for (const QString& fault : result.findings.faults)
            out << "- " << fault << '\n';
        out << "Şema sürümü: " << result.contents.version << '\n'
            << "Kursiyer sayısı: " << turkish.toString(result.contents.trainees) << '\n'
            << "Ödeme sayısı: " << turkish.toString(result.contents.payments) << '\n';
        for (const QString& note : result.findings.notes)
            out << note << '\n';
    }
    if (QFileInfo(file).isFile())
        out << "Dosyada hiçbir değişiklik yapılmadı.\n";
    return result.sound() ? 0 : 1;
}

} // namespace

Request read(const QStringList& arguments, bool qtOptionsTaken) {
    const auto asked = [](Action action, const QString& file = {}) { return Request{action, file, {}}; };
    const auto wrong = [](const QString& problem) { return Request{Action::Wrong, {}, problem}; };
    if (arguments.isEmpty())
        return {};
    const QString& first = arguments.first();
    if (first == "--version" || first == "--help" || first == "-h")
        return arguments.size() == 1 ? asked(first == "--version" ? Action::Version : Action::Help)
                                     : wrong(QString("%1 başka bir bilgi almaz.").arg(first));
    if (first == CheckOption)
        return arguments.size() == 2 ? asked(Action::Check, arguments[1])
                                     : wrong(QString("%1 yalnızca bir dosya adı alır.").arg(CheckOption));
    for (const QString& ours : {CheckOption, QString("--version"), QString("--help")})
        if (arguments.contains(ours))
            return wrong(QString("%1 başka seçeneklerle birlikte kullanılamaz.").arg(ours));
    if (qtOptionsTaken)
        return wrong(QString("Bilinmeyen seçenek: %1").arg(first));
    return {};
}

int run(const Request& request, QTextStream& out, QTextStream& errors) {
    switch (request.action) {
    case Action::Version:
        out << "Kalvista " << KALVISTA_VERSION << '\n';
        return 0;
    case Action::Help:
        out << helpText();
        return 0;
    case Action::Check:
        return check(request.file, out);
    case Action::Wrong:
    case Action::Window:
        break;
    }
    errors << "kalvista: " << request.problem << "\nSeçenekler için: kalvista --help\n";
    return 2;
}

} // namespace CommandLine
