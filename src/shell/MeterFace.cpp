#include "shell/MeterFace.h"

#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QRadialGradient>

#include "shell/SegmentLabel.h"
#include "windows/common/Accessibility.h"

namespace {

constexpr int FaceWidth = 360;
constexpr int FaceHeight = 520;

const QRectF Bumper(4, 4, 352, 512);
const QRectF Body(18, 18, 324, 484);
const QRectF Bezel(34, 84, 292, 208);
const QRectF Glass(44, 94, 272, 188);
const QColor Ink(28, 34, 26);

QFont faceFont(int pixels, bool bold = false, bool italic = false) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(pixels);
    font.setBold(bold);
    font.setItalic(italic);
    return font;
}

QLabel* faceLabel(QWidget* parent, const QString& name, const QString& text, const QRect& where,
                  const QFont& font, const QColor& color, Qt::Alignment align = Qt::AlignCenter) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setGeometry(where);
    label->setFont(font);
    label->setAlignment(align);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, color);
    label->setPalette(palette);
    return label;
}

// One of the meter's rubber keys. Decoration: no action and no keyboard focus.
class FaceKey : public QPushButton {
  public:
    FaceKey(QWidget* parent, const QString& name, const QString& text, const QRect& where,
            const QColor& top, const QColor& bottom)
        : QPushButton(text, parent), top_(top), bottom_(bottom) {
        setObjectName(name);
        setGeometry(where);
        setCursor(Qt::ArrowCursor);
        MarkAsDecoration(*this);
        setAccessibleName(text);
        setAccessibleDescription(
            QStringLiteral("A key of the meter's picture; press it on the meter"));
    }

    // A lamp, the key that lights the meter's display.
    bool lamp = false;

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        const QRectF r = QRectF(rect()).adjusted(1.5, 1.5, -1.5, -3.5);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0, 0, 0, 90));
        p.drawRoundedRect(r.translated(0, 2.5), 10, 10);
        QLinearGradient g(0, r.top(), 0, r.bottom());
        g.setColorAt(0, isDown() ? bottom_ : top_);
        g.setColorAt(1, isDown() ? top_ : bottom_);
        p.setBrush(g);
        p.setPen(QPen(QColor(0, 0, 0, 120), 1));
        p.drawRoundedRect(r, 10, 10);
        p.setPen(QPen(QColor(255, 255, 255, 50), 1));
        p.drawLine(QPointF(r.left() + 9, r.top() + 1.5), QPointF(r.right() - 9, r.top() + 1.5));
        if (lamp) {
            drawLamp(p, r.center());
            return;
        }
        p.setFont(faceFont(13, true));
        p.setPen(QColor(245, 245, 240));
        p.drawText(r, Qt::AlignCenter, text());
    }

  private:
    static void drawLamp(QPainter& p, QPointF c) {
        p.setPen(QPen(QColor(255, 226, 120), 1.6, Qt::SolidLine, Qt::RoundCap));
        for (int i = 0; i < 8; ++i) {
            const QTransform turn = QTransform().rotate(i * 45.0);
            p.drawLine(c + turn.map(QPointF(0, -8.5)), c + turn.map(QPointF(0, -11.5)));
        }
        p.setBrush(QColor(255, 214, 90));
        p.setPen(Qt::NoPen);
        p.drawEllipse(c, 5.5, 5.5);
    }

    QColor top_;
    QColor bottom_;
};

}  // namespace

MeterFace::MeterFace(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("MeterFace"));
    setAccessibleName(QStringLiteral("Meter"));
    setFixedSize(FaceWidth, FaceHeight);

    const QColor white(244, 244, 238);
    faceLabel(this, QStringLiteral("MeterName"), QStringLiteral("KELVOMARK"),
              QRect(84, 28, 192, 30), faceFont(21, true), white);

    QColor markInk = Ink;
    markInk.setAlpha(110);
    const QFont markFont = faceFont(10, true);
    marks_[int(Verdict::Pass)] = faceLabel(this, QStringLiteral("Label6"), QStringLiteral("PASS"),
                                           QRect(56, 100, 40, 16), markFont, markInk);
    marks_[int(Verdict::Warn)] = faceLabel(this, QStringLiteral("Label5"), QStringLiteral("WARN"),
                                           QRect(100, 100, 44, 16), markFont, markInk);
    marks_[int(Verdict::Fail)] = faceLabel(this, QStringLiteral("Label4"), QStringLiteral("FAIL"),
                                           QRect(148, 100, 36, 16), markFont, markInk);
    showVerdict(std::nullopt);
    faceLabel(this, QStringLiteral("Label3"), QStringLiteral("REL"), QRect(268, 100, 36, 16),
              markFont, markInk);

    valOhm_ = new SegmentLabel(4, this);
    valOhm_->setObjectName(QStringLiteral("ValOhm"));
    valOhm_->setInk(Ink);
    valOhm_->setGeometry(90, 124, 164, 66);
    lblMOhm_ = faceLabel(this, QStringLiteral("LblMOhm"), QStringLiteral("m"),
                         QRect(254, 152, 22, 36), faceFont(26, false, true), Ink);
    lblMOhm_->setVisible(false);
    faceLabel(this, QStringLiteral("LblOhm"), QStringLiteral("Ω"), QRect(274, 144, 36, 44),
              faceFont(32), Ink);

    valVoltage_ = new SegmentLabel(5, this);
    valVoltage_->setObjectName(QStringLiteral("ValVoltage"));
    valVoltage_->setInk(Ink);
    valVoltage_->setGeometry(50, 206, 204, 66);
    setReadingStale(false);
    faceLabel(this, QStringLiteral("LblV"), QStringLiteral("V"), QRect(274, 226, 36, 44),
              faceFont(32), Ink);

    const QColor keyTop(104, 112, 122);
    const QColor keyBottom(60, 66, 74);
    new FaceKey(this, QStringLiteral("SSCommand5"), QStringLiteral("READ"), QRect(46, 318, 86, 44),
                QColor(246, 170, 70), QColor(206, 116, 24));
    new FaceKey(this, QStringLiteral("SSCommand4"), QStringLiteral("MEM"), QRect(137, 318, 86, 44),
                keyTop, keyBottom);
    new FaceKey(this, QStringLiteral("SSCommand1"), QStringLiteral("HOLD"), QRect(228, 318, 86, 44),
                keyTop, keyBottom);
    new FaceKey(this, QStringLiteral("CmdVolTage"), QStringLiteral("V"), QRect(91, 374, 86, 44),
                keyTop, keyBottom);
    auto* light = new FaceKey(this, QStringLiteral("SSCommand3"), QString(),
                              QRect(183, 374, 86, 44), keyTop, keyBottom);
    light->lamp = true;
    light->setAccessibleName(QStringLiteral("Light"));
}

QLabel* MeterFace::valOhm() const {
    return valOhm_;
}
QLabel* MeterFace::valVoltage() const {
    return valVoltage_;
}

void MeterFace::setReadingStale(bool stale) {
    valOhm_->setStale(stale);
    valVoltage_->setStale(stale);
    const QString old = QStringLiteral(", an old reading: no data from the meter");
    valOhm_->setAccessibleDescription(QStringLiteral("Resistance") + (stale ? old : QString()));
    valVoltage_->setAccessibleDescription(QStringLiteral("Voltage") + (stale ? old : QString()));
}

bool MeterFace::isReadingStale() const {
    return valOhm_->isStale();
}

void MeterFace::showVerdict(std::optional<Verdict> verdict) {
    verdict_ = verdict;
    for (const Verdict mark : {Verdict::Pass, Verdict::Warn, Verdict::Fail}) {
        QLabel* label = marks_[int(mark)];
        const bool lit = verdict == mark;
        // Lit as the meter's own segments are: full ink where the faint print was.
        QColor ink = Ink;
        ink.setAlpha(lit ? 255 : 110);
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, ink);
        label->setPalette(palette);
        label->setAccessibleDescription(lit ? QStringLiteral("Lit: the verdict of the last capture")
                                            : QStringLiteral("A verdict mark, not lit"));
    }
}

QSize MeterFace::sizeHint() const {
    return QSize(FaceWidth, FaceHeight);
}

void MeterFace::paintEvent(QPaintEvent*) {
    QPainter p(this);
    render(p);
}

void MeterFace::render(QPainter& p) const {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);

    // Rubber bumper and the body inside it.
    QLinearGradient bumper(Bumper.topLeft(), Bumper.bottomRight());
    bumper.setColorAt(0, QColor(250, 178, 72));
    bumper.setColorAt(1, QColor(196, 108, 18));
    p.setPen(QPen(QColor(120, 64, 8), 1.5));
    p.setBrush(bumper);
    p.drawRoundedRect(Bumper, 44, 44);

    QLinearGradient body(0, Body.top(), 0, Body.bottom());
    body.setColorAt(0, QColor(66, 73, 82));
    body.setColorAt(0.5, QColor(46, 51, 58));
    body.setColorAt(1, QColor(32, 36, 41));
    p.setPen(QPen(QColor(20, 22, 25), 1.5));
    p.setBrush(body);
    p.drawRoundedRect(Body, 32, 32);

    // The test lead jacks: black (-) and red (+).
    const auto jack = [&](QPointF c, const QColor& ring, const QString& sign) {
        QRadialGradient g(c - QPointF(3, 3), 14);
        g.setColorAt(0, ring.lighter(150));
        g.setColorAt(1, ring);
        p.setPen(QPen(QColor(10, 10, 10), 1.2));
        p.setBrush(g);
        p.drawEllipse(c, 13, 13);
        p.setBrush(QColor(14, 14, 16));
        p.drawEllipse(c, 5, 5);
        p.setFont(faceFont(11, true));
        p.setPen(QColor(200, 200, 196));
        p.drawText(QRectF(c.x() - 10, c.y() + 14, 20, 14), Qt::AlignCenter, sign);
    };
    jack(QPointF(56, 44), QColor(40, 40, 44), QStringLiteral("−"));
    jack(QPointF(304, 44), QColor(200, 36, 30), QStringLiteral("+"));

    p.setFont(faceFont(10, true));
    p.setPen(QColor(168, 174, 182));
    p.drawText(QRectF(84, 58, 192, 16), Qt::AlignCenter, QStringLiteral("BATTERY  TESTER  Ω · V"));

    // Display: a dark bezel and the greenish glass.
    p.setPen(QPen(QColor(8, 9, 10), 1.2));
    p.setBrush(QColor(22, 25, 28));
    p.drawRoundedRect(Bezel, 14, 14);
    QLinearGradient glass(0, Glass.top(), 0, Glass.bottom());
    glass.setColorAt(0, QColor(214, 223, 198));
    glass.setColorAt(1, QColor(178, 191, 158));
    p.setPen(Qt::NoPen);
    p.setBrush(glass);
    p.drawRoundedRect(Glass, 8, 8);
    p.setPen(QPen(QColor(0, 0, 0, 50), 1));
    p.drawLine(QPointF(Glass.left() + 10, 200), QPointF(Glass.right() - 10, 200));
    p.setPen(QPen(QColor(255, 255, 255, 60), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(Glass.adjusted(0.5, 0.5, -0.5, -0.5), 8, 8);

    // The speaker grille at the bottom.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(18, 20, 23));
    for (int i = 0; i < 6; ++i) {
        p.drawRoundedRect(QRectF(118, 442 + i * 9, 124, 4), 2, 2);
    }
    p.restore();
}
