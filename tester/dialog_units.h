// Placement of dialog controls in dialog units: a quarter of the font's average
// character width across, an eighth of its height down.
#pragma once

#include <QDialog>
#include <QRect>

class QWidget;

class CDialogUnits {
public:
    explicit CDialogUnits(const QWidget &dialog);
    QRect rect(int x, int y, int width, int height) const;
    // Sizes the dialog for a template of width by height units.
    void resizeDialog(QDialog &dialog, int width, int height) const;
    // Places control at x, y, width, height and records its template id.
    void place(QWidget &control, int id, int x, int y, int width, int height) const;

private:
    int baseX_;
    int baseY_;
};

// The template id of a control (-1 for a static text or icon).
inline constexpr const char *kControlIdProperty = "controlId";
