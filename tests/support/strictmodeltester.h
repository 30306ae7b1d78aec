#pragma once

#include <memory>

class QAbstractItemModel;
class QAbstractItemModelTester;

namespace pk::test {

/**
 * @brief QAbstractItemModelTester for GoogleTest: every fault it finds in the model fails the
 * running test (the tester itself only prints warnings outside Qt Test).
 *
 * Watches the model for the life of this object.
 */
class StrictModelTester final
{
public:
    explicit StrictModelTester(QAbstractItemModel *model);
    ~StrictModelTester();
    StrictModelTester(const StrictModelTester &) = delete;
    StrictModelTester &operator=(const StrictModelTester &) = delete;

private:
    std::unique_ptr<QAbstractItemModelTester> m_tester;
};

} // namespace pk::test
