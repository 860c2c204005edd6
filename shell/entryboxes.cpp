#include "entryboxes.h"

#include "eventactions.h"

#include "ledger/entry.h"
#include "ui/units.h"

#include <QApplication>
#include <QMouseEvent>

void wireAmountBox(EditBox *amount, QObject *owner)
{
    if (!amount)
        return;
    // A minus sign, or a point the amount would then hold twice, is refused with a beep. The key
    // is judged against the text it makes, so ".5" typed over the selected "0.00" gives 0.5.
    amount->installEventFilter(new KeyAction(owner, [amount](QKeyEvent *key) {
        if (key->text().isEmpty())
            return false;
        if (amountKeyAccepted(amount->text(), amount->selectionStart(), amount->selectionLength(), amount->cursorPosition(),
                              key->text()))
            return false;
        QApplication::beep();
        return true;
    }));
    // A click into the amount selects it whole, so the next amount replaces it.
    amount->installEventFilter(new EventAction<QMouseEvent>(owner, QEvent::MouseButtonRelease, [amount](QMouseEvent *mouse) {
        if (mouse->button() == Qt::LeftButton)
            amount->selectAll();
        return false;
    }));
}
