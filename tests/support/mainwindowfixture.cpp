#include "mainwindowfixture.h"

#include <gtest/gtest.h>

namespace testsupport {

QStringList MainWindowHarness::commandsSent()
{
    QStringList texts;
    for (const QByteArray &write : mainPort().writes) {
        EXPECT_TRUE(write.endsWith('\r')) << write.toStdString();
        EXPECT_EQ(write.count('\r'), 1) << write.toStdString();
        EXPECT_FALSE(write.contains('\n')) << write.toStdString();
        texts.append(QString::fromLatin1(write.chopped(write.endsWith('\r') ? 1 : 0)));
    }
    return texts;
}

} // namespace testsupport
