#pragma once

#include "Md5Hasher.h"

#include <QString>

using TMD5Digest = Md5Hasher::TDigest;

// The digest text of Value's bytes in the system's ANSI code page: 32 lowercase hexadecimal
// digits, or with Bits 16 the 16 digits from the 9th to the 24th.
QString Md5Text(const QString &Value, int Bits);
// The digest of a whole file, read through a mapping; a missing, unreadable or empty file gives
// the digest of empty input.
TMD5Digest Md5OfFile(const QString &FileName);
QString Md5ToHex(const TMD5Digest &Digest);
