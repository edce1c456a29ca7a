#include "MappedFile.h"

#ifdef Q_OS_UNIX
#include <sys/mman.h>
#endif

MappedFile::MappedFile(const QString &fileName) : FFile(fileName)
{
    if (!FFile.open(QIODevice::ReadOnly))
        return;
    FSize = FFile.size();
    if (FSize <= 0) {
        FSize = 0;
        return;
    }
    FData = FFile.map(0, FSize);
    if (!FData) {
        FSize = 0;
        return;
    }
#ifdef Q_OS_UNIX
    // The sequential-scan hint: read ahead aggressively, drop pages once passed.
    ::madvise(const_cast<std::uint8_t *>(FData), size_t(FSize), MADV_SEQUENTIAL);
#endif
}

MappedFile::~MappedFile()
{
    if (FData)
        FFile.unmap(const_cast<std::uint8_t *>(FData));
}
