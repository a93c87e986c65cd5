/* Pellucor's skin: soft neutral surfaces, one muted blue for progress and a
   darker one for the focus. Colours, borders and corners only: the window chooses its own
   fonts and places every control at a fixed position, so nothing here sets
   a font or a size. */

QWidget {
    color: #262b33;
    selection-background-color: #cddcec;
    selection-color: #1d2229;
}

QWidget:disabled {
    color: #9aa1ab;
}

QWidget#Form1 {
    background-color: #f4f5f7;
}

QGroupBox {
    background-color: #f4f5f7;
    border: 1px solid #d5d9e0;
    border-radius: 6px;
    margin-top: 7px;
}

QGroupBox::title {
    subcontrol-origin: margin;
    subcontrol-position: top left;
    left: 9px;
    padding: 0px 4px;
    color: #3b4654;
    background-color: #f4f5f7;
}

QGroupBox[flat="true"] {
    border: none;
    margin-top: 0px;
    background-color: transparent;
}

QLabel {
    background-color: transparent;
}

/* Not transparent: the indicator's ring is drawn in a shade of this colour. */
QRadioButton {
    background-color: #f4f5f7;
}

QLineEdit {
    background-color: #ffffff;
    border: 1px solid #c3c9d2;
    border-radius: 4px;
    padding: 0px 4px;
}

/* The focus is a ring two pixels wide in a darker blue, seen at a glance. */
QLineEdit:focus {
    border: 2px solid #2f64a0;
}

QLineEdit:disabled {
    background-color: #eef0f3;
    border-color: #dde1e6;
}

QPushButton {
    background-color: #ffffff;
    border: 1px solid #c3c9d2;
    border-radius: 5px;
    padding: 0px 6px;
}

QPushButton:hover {
    background-color: #f0f4f8;
    border-color: #8aa4bf;
}

QPushButton:pressed {
    background-color: #dfe8f1;
    border-color: #6f8fae;
}

QPushButton:focus {
    border: 2px solid #2f64a0;
}

QPushButton:disabled {
    background-color: #eef0f3;
    border-color: #dde1e6;
}

QTreeWidget {
    background-color: #ffffff;
    alternate-background-color: #f7f8fa;
    border: 1px solid #c3c9d2;
    border-radius: 3px;
}

QTreeWidget:focus {
    border: 2px solid #2f64a0;
}

QTreeWidget::item:hover {
    background-color: #eef3f8;
}

QTreeWidget::item:selected {
    background-color: #cddcec;
    color: #1d2229;
}

QHeaderView {
    background-color: #eef0f3;
    border: none;
    border-bottom: 1px solid #d5d9e0;
}

QHeaderView::section {
    background-color: #eef0f3;
    color: #3b4654;
    border: none;
    padding: 1px 4px;
}

QProgressBar {
    background-color: #ffffff;
    border: 1px solid #c3c9d2;
    border-radius: 5px;
    text-align: center;
    color: #262b33;
}

QProgressBar::chunk {
    background-color: #b3cce3;
    border-radius: 4px;
}

QToolTip {
    background-color: #fdfcf8;
    color: #262b33;
    border: 1px solid #c3c9d2;
    padding: 2px;
}
