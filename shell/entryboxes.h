#pragma once
// The entry page's amount box: the keys it takes and the click that selects it whole.
class EditBox;
class QObject;

void wireAmountBox(EditBox *amount, QObject *owner);
