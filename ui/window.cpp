#include "ui/window.h"

#include "ui/qt_text.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QHash>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QStyledItemDelegate>
#include <QTextLayout>
#include <QWindow>
#include <algorithm>
#include <array>
#include <memory>
#include <optional>
#include <utility>

ClassWindow* main_window = nullptr;

namespace {

// The top-level widget: closing it asks the main loop to run the exit sequence.
class MainWidget : public QWidget {
public:
    explicit MainWidget(ClassWindow** owner) : owner_(owner) {}

protected:
    void closeEvent(QCloseEvent* event) override {
        if (*owner_)
            (*owner_)->close_requested = true;
        event->accept();
    }

private:
    ClassWindow** owner_;
};

// Shows the panel's image; before the first drawing a frame panel shows its black frame.
class PanelWidget : public QWidget {
public:
    PanelWidget(const ClassSimpleGraphics* panel, QWidget* parent)
        : QWidget(parent), panel_(panel) {}

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        if (panel_->has_image())
            painter.drawImage(QPoint(0, 0), panel_->image());
        else if ((panel_->extra_style() & 0x1F) == panel_style_black_frame)
            painter.drawRect(0, 0, width() - 1, height() - 1);
    }

private:
    const ClassSimpleGraphics* panel_;
};

// Every list row is exactly one font line high, so that rows meet the drawn grid lines.
// The items of a multi-column list fill their whole column, so a click anywhere in the column
// selects the item.
//
// A row of text is painted as the style paints it, but its text is laid out once: a list that
// takes a line scrolls, and every row visible would otherwise be laid out again. The rows the
// style paints with more than background and text (the focused row, icons, check marks,
// editing) are left to the style.
class RowDelegate : public QStyledItemDelegate {
public:
    RowDelegate(int column_width, QObject* parent)
        : QStyledItemDelegate(parent), column_width_(column_width) {}
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        const int width = column_width_ > 0 ? column_width_
                                            : QStyledItemDelegate::sizeHint(option, index).width();
        return QSize(width, list_row_height);
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyleOptionViewItem row = option;
        initStyleOption(&row, index);
        const QWidget* widget = row.widget;
        const QStyle* style = widget ? widget->style() : QApplication::style();
        constexpr auto other_features = QStyleOptionViewItem::WrapText |
                                        QStyleOptionViewItem::HasCheckIndicator |
                                        QStyleOptionViewItem::HasDecoration;
        if (style->name() != QLatin1String("fusion") || (row.features & other_features) ||
            (row.state & (QStyle::State_Editing | QStyle::State_HasFocus)) || row.text.isEmpty()) {
            QStyledItemDelegate::paint(painter, option, index);
            return;
        }
        painter->save();
        painter->setClipRect(row.rect);
        style->drawPrimitive(QStyle::PE_PanelItemViewItem, &row, painter, widget);
        QPalette::ColorGroup group =
            (row.state & QStyle::State_Enabled) ? QPalette::Normal : QPalette::Disabled;
        if (group == QPalette::Normal && !(row.state & QStyle::State_Active))
            group = QPalette::Inactive;
        painter->setPen(row.palette.color(group, (row.state & QStyle::State_Selected)
                                                     ? QPalette::HighlightedText
                                                     : QPalette::Text));
        // The style's text box (which does not depend on the text: asked without it, the style
        // lays nothing out), its margins and its vertical placement of the line.
        QStyleOptionViewItem textless = row;
        textless.text.clear();
        const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
        const QRect box = style->subElementRect(QStyle::SE_ItemViewItemText, &textless, widget)
                              .adjusted(margin, 0, -margin, 0);
        const RowText& text = laid_out(row, box.width());
        qreal top = box.top();
        if (row.displayAlignment & Qt::AlignVCenter)
            top = (box.top() + box.bottom() + 1 - text.height) / 2.0;
        else if (row.displayAlignment & Qt::AlignBottom)
            top = box.bottom() + 1 - text.height;
        text.layout->draw(painter, QPointF(box.left(), top));
        painter->restore();
    }

private:
    struct RowText {
        std::shared_ptr<QTextLayout> layout;
        int width = 0;
        int height = 0; // whole pixels, as the style counts the height of its lines
    };

    const RowText& laid_out(const QStyleOptionViewItem& row, int width) const {
        constexpr qsizetype most_rows = 128;
        const auto found = texts_.constFind(row.text);
        if (found != texts_.cend() && found->width == width && found->layout->font() == row.font)
            return *found;
        if (texts_.size() >= most_rows)
            texts_.clear();
        RowText text{std::make_shared<QTextLayout>(row.text, row.font), width, 0};
        QTextOption placing;
        placing.setWrapMode(QTextOption::ManualWrap);
        placing.setTextDirection(row.direction);
        placing.setAlignment(QStyle::visualAlignment(row.direction, row.displayAlignment));
        text.layout->setTextOption(placing);
        text.layout->setCacheEnabled(true);
        text.layout->beginLayout();
        for (QTextLine line = text.layout->createLine(); line.isValid();
             line = text.layout->createLine()) {
            line.setLineWidth(width);
            line.setPosition(QPointF(0, text.height));
            text.height += static_cast<int>(line.height());
        }
        text.layout->endLayout();
        return *texts_.insert(row.text, text);
    }

    int column_width_;
    mutable QHash<QString, RowText> texts_;
};

// A scroll bar that repaints on a change of its range or value only when it looks different:
// a list that takes a line changes the range, and until the rows fill the list, or once the
// handle is as short as it gets, the bar looks the same. Qt paints the tall parts of a bar on
// its helper threads, and the hand-over costs more than the painting. How the bar looks is
// what the style places (every part of it, and whether the handle is at an end), its state
// and its palette; the pointer's hover and press repaint by themselves.
class SteadyScrollBar : public QScrollBar {
public:
    using QScrollBar::QScrollBar;

protected:
    void sliderChange(SliderChange change) override {
        if (!painted_ || *painted_ != looks())
            QScrollBar::sliderChange(change);
    }
    void paintEvent(QPaintEvent* event) override {
        painted_ = looks();
        QScrollBar::paintEvent(event);
    }

private:
    struct Looks {
        QRect rect;
        std::array<QRect, 6> parts;
        bool at_minimum = false;
        bool at_maximum = false;
        int state = 0;
        qint64 palette = 0;
        bool operator==(const Looks&) const = default;
    };
    Looks looks() const {
        QStyleOptionSlider option;
        initStyleOption(&option);
        Looks looks{option.rect,
                    {},
                    option.sliderPosition == option.minimum,
                    option.sliderPosition == option.maximum,
                    static_cast<int>(option.state),
                    option.palette.cacheKey()};
        constexpr std::array parts{QStyle::SC_ScrollBarAddLine, QStyle::SC_ScrollBarSubLine,
                                   QStyle::SC_ScrollBarAddPage, QStyle::SC_ScrollBarSubPage,
                                   QStyle::SC_ScrollBarSlider,  QStyle::SC_ScrollBarGroove};
        for (std::size_t k = 0; k < parts.size(); ++k)
            looks.parts[k] = style()->subControlRect(QStyle::CC_ScrollBar, &option, parts[k], this);
        return looks;
    }

    std::optional<Looks> painted_;
};

// A list whose one selected row cannot be taken away by the user: the handlers polled for it
// would then load "no file". Any command that would empty it is refused: one that deselects
// (Ctrl+click, Ctrl+Space), and the "clear, then select no row" of a click that ends below
// the last row. Only the program clears a selection (select_index).
//
// Rows appended at the end repaint only themselves. Qt lays a list out again after every
// insertion and then repaints each visible row; the analysis list takes a line per memory dump,
// and that repaint was most of the work of a dump. When the layout has left the rows before
// unmoved (same viewport, same scroll position, same place of the first row), only the new rows
// are repainted; otherwise, and for every other cause of a layout, the whole list is.
class SingleSelectionList : public QListWidget {
public:
    using QListWidget::QListWidget;

    void doItemsLayout() override {
        const int appended_from = std::exchange(appended_from_, -1);
        if (appended_from < 0 || !laid_out_) {
            QListWidget::doItemsLayout();
            laid_out_ = placement();
            return;
        }
        viewport()->setAttribute(Qt::WA_UpdatesDisabled, true);
        QListWidget::doItemsLayout();
        viewport()->setAttribute(Qt::WA_UpdatesDisabled, false);
        const std::optional<Placement> before = std::exchange(laid_out_, placement());
        if (laid_out_ != before) {
            viewport()->update();
            return;
        }
        QRect appended;
        for (int row = appended_from; row < count(); ++row)
            appended |= visualRect(model()->index(row, 0));
        viewport()->update(appended);
    }

protected:
    void rowsInserted(const QModelIndex& parent, int start, int end) override {
        const bool at_end = !parent.isValid() && end == count() - 1;
        if (!at_end)
            laid_out_.reset();
        else if (appended_from_ < 0)
            appended_from_ = start;
        QListWidget::rowsInserted(parent, start, end);
    }
    void rowsAboutToBeRemoved(const QModelIndex& parent, int start, int end) override {
        laid_out_.reset();
        QListWidget::rowsAboutToBeRemoved(parent, start, end);
    }
    void reset() override {
        laid_out_.reset();
        QListWidget::reset();
    }

    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                         const QEvent* event) const override {
        const QItemSelectionModel::SelectionFlags flags =
            QListWidget::selectionCommand(index, event);
        const bool empties =
            (flags & (QItemSelectionModel::Deselect | QItemSelectionModel::Toggle)) ||
            (!index.isValid() && (flags & QItemSelectionModel::Clear));
        if (selectionMode() == SingleSelection && empties)
            return QItemSelectionModel::NoUpdate;
        return flags;
    }

private:
    // What decides where the rows already shown lie.
    struct Placement {
        QSize viewport;
        int horizontal = 0;
        int vertical = 0;
        QRect first_row;
        bool operator==(const Placement&) const = default;
    };
    Placement placement() const {
        return {viewport()->size(), horizontalScrollBar()->value(), verticalScrollBar()->value(),
                count() > 0 ? visualRect(model()->index(0, 0)) : QRect()};
    }

    std::optional<Placement> laid_out_; // after the last layout; none when it must not be trusted
    int appended_from_ = -1;            // first row appended since then, or -1
};

// Focus the user gives: a click or Tab. Qt also moves the focus on its own (the window is
// activated again, a control is hidden or disabled); that is no user's choice and must not
// re-run the handler of a list.
bool focus_given_by_user(Qt::FocusReason reason) {
    return reason == Qt::MouseFocusReason || reason == Qt::TabFocusReason ||
           reason == Qt::BacktabFocusReason;
}

// Turns the focus changes of a list or combo box into notification code 4: a list box
// reports gaining the focus from the user, a combo box losing it (not to its own drop-down).
class FocusNotifier : public QObject {
public:
    FocusNotifier(ClassWindow* owner, int id, QEvent::Type reported, QObject* parent)
        : QObject(parent), owner_(owner), id_(id), reported_(reported) {}

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() != reported_)
            return false;
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        const bool counts = reported_ == QEvent::FocusIn ? focus_given_by_user(reason)
                                                         : reason != Qt::PopupFocusReason;
        if (counts)
            owner_->dispatch_command(command_word(id_, notify_focus), 0);
        return false;
    }

private:
    ClassWindow* owner_;
    int id_;
    QEvent::Type reported_;
};

// The key codes the key handlers expect, or 0 for keys that have none.
int key_code_of(int qt_key) {
    if ((qt_key >= Qt::Key_A && qt_key <= Qt::Key_Z) ||
        (qt_key >= Qt::Key_0 && qt_key <= Qt::Key_9))
        return qt_key; // same codes: 'A'..'Z', '0'..'9'
    if (qt_key >= Qt::Key_F1 && qt_key <= Qt::Key_F12)
        return 112 + (qt_key - Qt::Key_F1);
    switch (qt_key) {
    case Qt::Key_Return:
    case Qt::Key_Enter: return key_enter;
    case Qt::Key_Escape: return key_escape;
    case Qt::Key_Space: return key_space;
    case Qt::Key_Backspace: return 8;
    case Qt::Key_Tab: return 9;
    case Qt::Key_Shift: return 16;
    case Qt::Key_Control: return 17;
    case Qt::Key_PageUp: return 33;
    case Qt::Key_PageDown: return 34;
    case Qt::Key_End: return 35;
    case Qt::Key_Home: return 36;
    case Qt::Key_Left: return 37;
    case Qt::Key_Up: return 38;
    case Qt::Key_Right: return 39;
    case Qt::Key_Down: return 40;
    case Qt::Key_Insert: return 45;
    case Qt::Key_Delete: return 46;
    default: return 0;
    }
}

// Sits on the top-level window, which sees every key press once before the focused control.
class KeyFilter : public QObject {
public:
    KeyFilter(ClassWindow* owner, QObject* parent) : QObject(parent), owner_(owner) {}

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() != QEvent::KeyPress || !owner_->key_hook)
            return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        const int code = key_code_of(key->key());
        // Keys held with Alt belong to the window system, as they always did.
        if (code != 0 && !(key->modifiers() & Qt::AltModifier))
            owner_->key_hook(code);
        return false;
    }

private:
    ClassWindow* owner_;
};

} // namespace

ClassWindow::ClassWindow(QWidget* top_level, const TextString& name)
    : window(top_level), class_name(name), controls(new ControlNode{nullptr, 100, nullptr}) {
    top_level->winId(); // the native window exists from here on: the key filter sits on it
    top_level->windowHandle()->installEventFilter(new KeyFilter(this, top_level));
}

ClassWindow::~ClassWindow() {
    // Hidden first, so that no focus notification reaches a control while others are deleted.
    window->hide();
    while (controls) {
        ControlNode* next = controls->next;
        delete controls->control;
        delete controls;
        controls = next;
    }
    delete window;
}

void ClassWindow::append_control(ClassControl* control) {
    ControlNode* tail = controls;
    while (tail->next)
        tail = tail->next;
    tail->control = control;
    tail->id += 1;
    tail->next = new ControlNode{nullptr, tail->id, nullptr};
    control->id = tail->id;
}

void ClassWindow::place(ClassControl* control, QWidget* widget, int x, int y, int width, int height,
                        const QFont* font) {
    control->window = widget;
    control->font = font;
    widget->setGeometry(x, y, width, height);
    if (font)
        widget->setFont(*font);
    widget->show();
}

ClassPushButton* ClassWindow::add_push_button(const TextString& label, ClickCallback on_click,
                                              int x, int y, int width, int height,
                                              const QFont* font) {
    auto* control = new ClassPushButton;
    append_control(control);
    control->label = label;
    control->click_callback = on_click;
    auto* button = new QPushButton(to_qstring(label), window);
    button->setAutoDefault(false);
    const int id = control->id;
    QObject::connect(button, &QPushButton::clicked,
                     [this, id] { dispatch_command(command_word(id, notify_clicked), 0); });
    place(control, button, x, y, width, height, font);
    control->button = button;
    return control;
}

ClassRadioButton* ClassWindow::add_radio_button(const TextString& label, ClickCallback on_click,
                                                int x, int y, int width, int height,
                                                ClassControl* parent, const QFont* font) {
    auto* control = new ClassRadioButton;
    append_control(control);
    control->label = label;
    control->click_callback = on_click;
    auto* button = new QRadioButton(to_qstring(label), parent ? parent->window : window);
    // Qt's own exclusive rule unchecks only one other button; a click here unchecks them all,
    // and set_checked changes nothing but its own button.
    button->setAutoExclusive(false);
    const int id = control->id;
    QObject::connect(button, &QRadioButton::clicked, [this, id, button] {
        button->setChecked(true);
        for (QRadioButton* other :
             button->parentWidget()->findChildren<QRadioButton*>(Qt::FindDirectChildrenOnly)) {
            if (other != button)
                other->setChecked(false);
        }
        dispatch_command(command_word(id, notify_clicked), 0);
    });
    place(control, button, x, y, width, height, font);
    control->button = button;
    return control;
}

ClassListBox* ClassWindow::add_list(bool combo, int x, int y, int width, int height,
                                    ClickCallback callback, const QFont* font, int extra_style) {
    auto* control = new ClassListBox;
    append_control(control);
    control->callback = callback;
    control->is_combo = combo;
    const int id = control->id;
    if (combo) {
        auto* box = new QComboBox(window);
        box->setEditable((extra_style & 3) != combo_style_drop_down_list);
        if (box->isEditable())
            box->lineEdit()->setMaxLength(combo_max_length);
        box->view()->setItemDelegate(new RowDelegate(0, box));
        // The height covers the drop-down part: the closed box is one row (plus its edge).
        const int closed_height = std::min(height, list_row_height + 6);
        box->setMaxVisibleItems(std::max(1, (height - closed_height) / list_row_height));
        box->installEventFilter(new FocusNotifier(this, id, QEvent::FocusOut, box));
        QObject::connect(box, &QComboBox::activated, [this, id] {
            dispatch_command(command_word(id, notify_combo_selected), 0);
        });
        place(control, box, x, y, width, closed_height, font);
        control->combo = box;
        return control;
    }
    auto* list = new SingleSelectionList(window);
    const bool multicolumn = extra_style & list_style_multicolumn;
    list->setItemDelegate(new RowDelegate(multicolumn ? list_column_width : 0, list));
    list->setUniformItemSizes(true);
    list->setTextElideMode(Qt::ElideNone);
    list->setFrameStyle(QFrame::Box | QFrame::Plain);
    list->setLineWidth(1);
    list->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    list->setVerticalScrollBar(new SteadyScrollBar(Qt::Vertical, list));
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list->setVerticalScrollBarPolicy(
        (extra_style & list_style_scroll_always) ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAsNeeded);
    list->setSelectionMode((extra_style & list_style_no_selection)
                               ? QAbstractItemView::NoSelection
                               : QAbstractItemView::SingleSelection);
    if (multicolumn) {
        // The one multi-column list is the row of click targets under the tab labels: it
        // takes the window's colour, so that only the labels drawn over it are seen.
        QPalette palette = list->palette();
        const QColor background = window->palette().color(QPalette::Window);
        palette.setColor(QPalette::Base, background);
        palette.setColor(QPalette::Highlight, background);
        list->setPalette(palette);
        list->setFrameStyle(QFrame::NoFrame);
        list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        list->setFlow(QListView::LeftToRight);
        list->setGridSize(QSize(list_column_width, list_row_height));
    }
    list->installEventFilter(new FocusNotifier(this, id, QEvent::FocusIn, list));
    // Frame, rows and scroll bar cover the list's whole rectangle: a repaint need not paint the
    // window beneath it first.
    list->setAttribute(Qt::WA_OpaquePaintEvent);
    place(control, list, x, y, width, height, font);
    control->list = list;
    // Grid lines and tab labels created before a list are drawn over it.
    list->lower();
    return control;
}

ClassListBox* ClassWindow::add_list_box(int x, int y, int width, int height, ClickCallback callback,
                                        const QFont* font, int extra_style) {
    return add_list(false, x, y, width, height, callback, font, extra_style);
}

ClassListBox* ClassWindow::add_filled_list_box(int x, int y, int width, int height,
                                               std::span<const TextString> items, int selected,
                                               ClickCallback callback, const QFont* font,
                                               int extra_style) {
    ClassListBox* list = add_list(false, x, y, width, height, callback, font, extra_style);
    list->fill_items(items, selected);
    return list;
}

ClassListBox* ClassWindow::add_filled_combo_box(int x, int y, int width, int height,
                                                std::span<const TextString> items, int selected,
                                                ClickCallback callback, const QFont* font,
                                                int extra_style) {
    ClassListBox* box = add_list(true, x, y, width, height, callback, font, extra_style);
    box->fill_items(items, selected);
    return box;
}

ClassEditString* ClassWindow::add_edit_string(int x, int y, int width, int height,
                                              const TextString& initial_text, const QFont* font) {
    auto* control = new ClassEditString;
    append_control(control);
    auto* edit = new QLineEdit(window);
    edit->setMaxLength(edit_max_length);
    edit->setTextMargins(0, 0, 0, 0);
    place(control, edit, x, y, width, height, font);
    control->edit = edit;
    control->set_text(initial_text);
    return control;
}

ClassStaticText* ClassWindow::add_static_text(int x, int y, int width, int height,
                                              const TextString& text, int extra_style,
                                              const QFont* font) {
    constexpr int style_center = 1, style_right = 2, style_simple = 11;
    auto* control = new ClassStaticText;
    append_control(control);
    if (width == 0 || height == 0) {
        width = 1200;
        height = 100;
        extra_style = style_simple;
    }
    auto* label = new QLabel(window);
    label->setTextFormat(Qt::PlainText);
    label->setText(to_qstring(text));
    const int kind = extra_style & 0x1F;
    label->setAlignment(Qt::AlignTop | (kind == style_center  ? Qt::AlignHCenter
                                        : kind == style_right ? Qt::AlignRight
                                                              : Qt::AlignLeft));
    label->setWordWrap(kind <= style_right);
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
    place(control, label, x, y, width, height, font);
    return control;
}

ClassSimpleGraphics* ClassWindow::add_simple_graphics(int x, int y, int width, int height,
                                                      int extra_style, const QFont* font) {
    auto* panel = new ClassSimpleGraphics(width, height, extra_style);
    append_control(panel);
    auto* widget = new PanelWidget(panel, window);
    widget->setAttribute(Qt::WA_TransparentForMouseEvents);
    place(panel, widget, x, y, width, height, font);
    return panel;
}

int ClassWindow::dispatch_command(CommandWord word, CommandParam param) {
    const int id = command_id(word);
    // The tail repeats the last id given but is never matched: that id belongs to the last
    // control, whose own node has a successor.
    for (ControlNode* node = controls; node && node->next; node = node->next) {
        if (node->id != id)
            continue;
        if (!node->control)
            return 0;
        node->control->on_command(word, param);
        return 1;
    }
    return 0;
}

void ClassWindow::broadcast_repaint(CommandWord word, CommandParam param) {
    for (ControlNode* node = controls; node; node = node->next) {
        if (node->control)
            node->control->on_repaint(word, param);
    }
}

bool create_main_window(const TextString& class_name, const TextString& title, int x, int y,
                        int width, int height, Colour background) {
    if (main_window)
        return false;
    auto* top_level = new MainWidget(&main_window);
    top_level->setObjectName(to_qstring(class_name));
    top_level->setWindowTitle(to_qstring(title));
    top_level->setFixedSize(width, height);
    top_level->move(x, y);
    QPalette palette = top_level->palette();
    palette.setColor(QPalette::Window, to_qcolor(background));
    top_level->setPalette(palette);
    top_level->setAutoFillBackground(true);
    main_window = new ClassWindow(top_level, class_name);
    return true;
}

void destroy_main_window() {
    delete main_window;
    main_window = nullptr;
}

QFont create_font(int weight) {
    const QString family = QFontDatabase::hasFamily(QStringLiteral("Courier New"))
                               ? QStringLiteral("Courier New")
                               : QStringLiteral("Liberation Mono");
    QFont font(family);
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    // Whole-pixel advances, as the original text drawing had: fixed columns stay in place.
    font.setHintingPreference(QFont::PreferFullHinting);
    font.setWeight(static_cast<QFont::Weight>(weight > 0 ? std::clamp(weight, 100, 900) : 400));
    // The largest pixel size whose lines are at most 18 pixels high.
    for (int pixels = list_row_height; pixels > 1; --pixels) {
        font.setPixelSize(pixels);
        if (QFontMetrics(font).height() <= list_row_height)
            break;
    }
    return font;
}
