#include "support/strictmodeltester.h"

#include <QAbstractItemModelTester>
#include <QtGlobal>

#include <gtest/gtest.h>

namespace pk::test {

namespace {

QtMessageHandler g_previous = nullptr;
int g_watching = 0;

void failOnModelFault(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    // The tester reports through its own logging category, as warnings, and goes on.
    if (type != QtDebugMsg && type != QtInfoMsg && context.category
        && qstrcmp(context.category, "qt.modeltest") == 0) {
        ADD_FAILURE() << "Model fault: " << message.toStdString();
        return;
    }
    if (g_previous)
        g_previous(type, context, message);
}

} // namespace

StrictModelTester::StrictModelTester(QAbstractItemModel *model)
{
    if (g_watching++ == 0)
        g_previous = qInstallMessageHandler(failOnModelFault);
    m_tester = std::make_unique<QAbstractItemModelTester>(
        model, QAbstractItemModelTester::FailureReportingMode::Warning);
}

StrictModelTester::~StrictModelTester()
{
    m_tester.reset();
    if (--g_watching == 0)
        qInstallMessageHandler(g_previous);
}

} // namespace pk::test
