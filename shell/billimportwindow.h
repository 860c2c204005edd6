#pragma once
// The bill import window of the backup page's "导入账单": asks for an Alipay or WeChat Pay bill,
// lists every trade with the record it would become, lets the person change the type and name of
// one row or of every row of a counterparty, and saves the chosen records.
#include <functional>

class LayoutWindow;
class Prompter;
class QString;
class QWidget;

// Null when the person cancelled or the file is no readable bill (they were told why).
LayoutWindow *openBillImport(QWidget *mainWindow, Prompter &prompter, const QString &person,
                             std::function<void()> imported);
// The window on a bill read already, for the program and its screenshots.
LayoutWindow *createBillImportWindow(QWidget *mainWindow, Prompter &prompter, const QString &billPath,
                                     const QString &person, std::function<void()> imported);
