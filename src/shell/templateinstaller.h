#pragma once

#include <QString>

namespace pk {

/// Gives a collection folder without export templates the shipped `Default_*.htm` ones.
class TemplateInstaller final
{
public:
    /// Copies every `Default_*.htm` of `templateFolder` into `collectionFolder` when that
    /// folder holds no `*.htm` file at all. Returns how many files were copied.
    static int installDefaults(const QString &collectionFolder, const QString &templateFolder);
};

} // namespace pk
