#pragma once

#include "export/plain_text.h"

#include <QFile>
#include <QIODevice>
#include <QTemporaryDir>

// A writer built on a C library that writes its own file works in a temporary folder and hands
// the finished file to the export's device.
inline QString temporaryFilePath(const QTemporaryDir& dir, const QString& name) {
    if (!dir.isValid())
        throw ExportError(QString("Geçici klasör oluşturulamadı:\n%1").arg(dir.errorString()));
    return dir.filePath(name);
}

inline void copyFinishedFile(const QString& path, QIODevice& out) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw ExportError(QString("Geçici dosya okunamadı:\n%1").arg(file.errorString()));
    constexpr qint64 ChunkSize = 1 << 16;
    while (!file.atEnd()) {
        const QByteArray chunk = file.read(ChunkSize);
        if (chunk.isEmpty())
            throw ExportError(QString("Geçici dosya okunamadı:\n%1").arg(file.errorString()));
        writeBytes(out, chunk);
    }
}
