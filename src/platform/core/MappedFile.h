#pragma once

#include <QFile>
#include <QString>

#include <cstdint>

// A read-only mapping of a whole file, read sequentially. Other programs may go on reading and
// writing the file meanwhile. A file that is missing, unreadable or empty maps to nothing.
class MappedFile {
public:
    explicit MappedFile(const QString &fileName);
    ~MappedFile();
    MappedFile(const MappedFile &) = delete;
    MappedFile &operator=(const MappedFile &) = delete;

    bool IsMapped() const { return FData != nullptr; }
    const std::uint8_t *Data() const { return FData; }
    qint64 Size() const { return FSize; }

private:
    QFile FFile;
    const std::uint8_t *FData = nullptr;
    qint64 FSize = 0;
};
