#pragma once

#include <QString>

#include <optional>

// Contact pictures live in <program folder>/Pics/ under the bare name that
// the contact record's PictureFile (64 bytes) holds.
namespace ContactPictures {

// <program folder>/Pics/ as a native path with its trailing separator.
QString folder();

// Stores the chosen picture file in Pics/ and gives the name it is stored
// under. A file already in Pics/ is taken as it is. Any other is copied
// under its own name, unless a contact record (the edited contact's own
// included: its old picture must survive a cancelled edit) names a file of
// that name or the name does not fit the record: then under a new name that
// no record names and no file in Pics/ bears. nullopt when the copy failed.
std::optional<QString> store(const QString& chosenPath);

// The name cut at a character boundary to fit maxBytes of UTF-8.
QString fitBytes(const QString& name, int maxBytes);

} // namespace ContactPictures
