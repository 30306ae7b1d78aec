#pragma once

#include <QString>
#include <QVariantMap>

namespace pk {

/// What a form is opened for, as the lists ask for it.
enum class FormRequest { Insert, Change, Delete, View };

namespace FormRequests {
/// Reads the "Action" argument ("Insert", "Change", "Delete", "View"); Insert when absent.
FormRequest fromArguments(const QVariantMap &arguments);
QString name(FormRequest request);
} // namespace FormRequests

} // namespace pk
