#pragma once

#include <QString>

// Members' passwords are kept only as a salted, stretched hash of the 16-digit digest the client
// sends ("pbkdf2-sha256$iterations$salt$hash", hexadecimal), so a copy of the store does not hand
// out the digests that log in.
namespace PasswordHash {
QString Make(const QString &digest);
bool Matches(const QString &stored, const QString &digest);
// The 16 lowercase hexadecimal digits the client computes from a typed password.
bool IsDigest(const QString &text);
} // namespace PasswordHash
