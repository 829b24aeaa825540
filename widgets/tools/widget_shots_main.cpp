// vorlaxent-widget-shots <folder>: renders each widget of the kit into PNG files in the folder, so that a
// reviewer can look at them. Runs without a display (offscreen) unless QT_QPA_PLATFORM says otherwise; time is
// advanced by hand so that animations are caught where wanted.

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <QVBoxLayout>
#include <cmath>
#include <cstdio>
#include <memory>

#include "platform/graphics/canvas.h"
#include "platform/ui/collection_view.h"
#include "platform/ui/image_view.h"
#include "platform/ui/layer.h"
#include "platform/ui/scroll_view.h"
#include "platform/ui/presenter.h"
#include "platform/ui/testing/manual_time_source.h"
#include "platform/ui/view_geometry.h"
#include "platform/ui/window.h"
#include "platform/ui/window_shadow.h"
#include "widgets/adjustable_font_size_text_field.h"
#include "widgets/bezier_path_quartz_utilities.h"
#include "widgets/color_view.h"
#include "widgets/i_carousel.h"
#include "widgets/it_switch.h"
#include "widgets/jw_alert.h"
#include "widgets/mb_progress_hud.h"
#include "widgets/sfb_popover.h"
#include "widgets/sy_flat_button.h"
#include "widgets/toggle_button.h"
#include "widgets/text_color_button.h"
#include "widgets/yrk_spinning_progress_indicator.h"

using platform::Color;
using platform::Font;
using platform::Image;
using platform::Point;
using platform::Rect;
using platform::Size;

namespace {

std::shared_ptr<platform::testing::ManualTimeSource> gClock;
QDir gOut;
int gWritten = 0;

void save(const QImage& img, const QString& name) {
  const QString path = gOut.filePath(name + QStringLiteral(".png"));
  if (img.save(path)) {
    ++gWritten;
    std::printf("%s\n", qPrintable(path));
  } else {
    std::fprintf(stderr, "could not write %s\n", qPrintable(path));
  }
}

QWidget* darkPanel(int w, int h, QColor colour = QColor(28, 28, 30)) {
  auto* panel = new QWidget();
  panel->resize(w, h);
  QPalette pal = panel->palette();
  pal.setColor(QPalette::Window, colour);
  pal.setColor(QPalette::WindowText, QColor(229, 229, 234));
  panel->setPalette(pal);
  panel->setAutoFillBackground(true);
  return panel;
}

// A window-sized grab of a top-level widget and the child windows lying over it.
QImage grabWithChildren(QWidget* window) {
  QImage img = window->grab().toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
  QPainter p(&img);
  for (platform::Window* child : platform::childWindowsOf(window)) {
    if (!child->isVisible()) continue;
    p.setOpacity(child->alphaValue());
    // Its shadow first, as the screen shows it behind the window.
    if (QWidget* shadow = child->shadowWindow(); shadow && shadow->isVisible()) {
      p.drawImage(shadow->geometry().topLeft() - window->geometry().topLeft(), shadow->grab().toImage());
    }
    p.drawImage(child->geometry().topLeft() - window->geometry().topLeft(), child->grab().toImage());
  }
  return img;
}

Image cameraGlyph(double size) {
  return Image::withSize({size, size}, [](platform::Canvas& c, const Rect& r) {
    const double s = r.width();
    c.setFillColor(Color::blackColor());
    c.fillPath(platform::Path::roundedRect({s * 0.06, s * 0.18, s * 0.88, s * 0.58}, s * 0.1, s * 0.1));
    c.fillRect({s * 0.34, s * 0.72, s * 0.32, s * 0.12});
    c.setBlendMode(platform::BlendMode::Clear);
    c.fillEllipse({s * 0.32, s * 0.26, s * 0.36, s * 0.36});
    c.setBlendMode(platform::BlendMode::Normal);
    c.fillEllipse({s * 0.4, s * 0.34, s * 0.2, s * 0.2});
    return true;
  });
}

Image liveGlyph(double size, bool on) {
  return Image::withSize({size, size}, [on](platform::Canvas& c, const Rect& r) {
    const double s = r.width();
    c.setFillColor(Color::blackColor());
    c.fillPath(platform::Path::roundedRect({s * 0.08, s * 0.25, s * 0.6, s * 0.5}, s * 0.08, s * 0.08));
    platform::Path tri;
    tri.moveTo({s * 0.7, s * 0.5});
    tri.lineTo({s * 0.95, s * 0.7});
    tri.lineTo({s * 0.95, s * 0.3});
    tri.close();
    c.fillPath(tri);
    if (!on) {
      c.setStrokeColor(Color::blackColor());
      c.setLineWidth(s * 0.08);
      c.setLineCap(platform::LineCap::Round);
      c.strokeLine({s * 0.1, s * 0.1}, {s * 0.9, s * 0.9});
    }
    return true;
  });
}

SYFlatButton* styledButton(QWidget* parent, Rect frame, const QString& title) {
  auto* b = new SYFlatButton(frame, parent);
  b->setCornerRadius(6);
  b->setBorderWidth(1);
  b->setBorderNormalColor(Color::white(0.39));
  b->setBorderHighlightColor(Color::white(0.56));
  b->setBackgroundNormalColor(Color::white(0.17));
  b->setBackgroundHighlightColor(Color::rgb(1.0, 0.62, 0.04));
  b->setTitleNormalColor(Color::white(0.9));
  b->setTitleHighlightColor(Color::blackColor());
  b->setImageNormalColor(Color::white(0.9));
  b->setImageHighlightColor(Color::blackColor());
  b->setFont(Font::named(QStringLiteral("AvenirNext-Medium"), 14));
  b->setTitle(title);
  b->setOnAnimateDuration(0.1);
  b->setOffAnimateDuration(0.25);
  return b;
}

void shootButtons() {
  QWidget* panel = darkPanel(520, 250);
  auto* caption = new QLabel(QStringLiteral("SYFlatButton / ToggleButton"), panel);
  caption->move(16, 10);
  styledButton(panel, {20, 170, 120, 36}, QStringLiteral("Capture"));
  SYFlatButton* on = styledButton(panel, {160, 170, 120, 36}, QStringLiteral("Pressed"));
  on->setState(1);
  SYFlatButton* withImage = styledButton(panel, {300, 170, 200, 36}, QStringLiteral("Live View"));
  withImage->setImage(cameraGlyph(22));
  withImage->setImagePosition(NSImageLeft);
  withImage->setSpacing(4);
  SYFlatButton* disabled = styledButton(panel, {20, 110, 120, 36}, QStringLiteral("Disabled"));
  disabled->setEnabled(false);
  SYFlatButton* shrunk = styledButton(panel, {160, 110, 120, 36}, QStringLiteral("A much too long title"));
  (void)shrunk;
  SYFlatButton* red = styledButton(panel, {300, 110, 200, 36}, QStringLiteral("Cancel"));
  red->setBorderWidth(0);
  red->setCornerRadius(4);
  red->setBackgroundNormalColor(Color::rgb(0.8, 0, 0));
  red->setBackgroundHighlightColor(Color::rgb(1, 0, 0));
  red->setTitleNormalColor(Color::whiteColor());
  red->setTitleHighlightColor(Color::whiteColor());
  red->setFont(Font::named(QStringLiteral("AvenirNext-Medium"), 16));
  for (int i = 0; i < 3; ++i) {
    auto* t = new ToggleButton(Rect{20.0 + i * 70, 24, 54, 54}, panel);
    t->setImagePosition(NSImageOnly);
    t->setCornerRadius(10);
    t->setOnImage(liveGlyph(30, true), liveGlyph(30, false));
    gClock->advance(0.2);
    if (i == 1) t->setState(1);
    if (i == 2) t->setEnabled(false);
  }
  auto* circle = new ToggleButton(Rect{240, 24, 54, 54}, panel);
  circle->setImagePosition(NSImageOnly);
  circle->setCornerRadius(27);
  circle->setOnImage(cameraGlyph(28), cameraGlyph(28));
  gClock->advance(0.2);
  circle->setState(1);
  panel->show();
  gClock->advance(1);
  save(panel->grab().toImage(), QStringLiteral("flat_buttons"));
  delete panel;
}

void shootSpinner() {
  QWidget* panel = darkPanel(300, 120, QColor(40, 40, 40));
  auto* spinning = new YRKSpinningProgressIndicator(Rect{20, 20, 80, 80}, panel);
  spinning->setColor(Color::whiteColor());
  spinning->setUsesThreadedAnimation(false);
  auto* stopped = new YRKSpinningProgressIndicator(Rect{110, 20, 80, 80}, panel);
  stopped->setColor(Color::whiteColor());
  auto* pie = new YRKSpinningProgressIndicator(Rect{200, 20, 80, 80}, panel);
  pie->setColor(Color::whiteColor());
  pie->setDoubleValue(62);
  panel->show();
  spinning->startAnimation();
  gClock->advance(0.05 * 9);
  save(panel->grab().toImage(), QStringLiteral("spinner"));
  spinning->stopAnimation();
  gClock->advance(1);
  delete panel;
}

void shootAlerts() {
  struct Shot {
    const char* name;
    std::uint64_t style;
    const char* title;
    const char* text;
    const char* ok;
    const char* cancel;
    const char* third;
    const char* help;
  };
  const Shot shots[] = {
      {"alert_warning", 0, "Warning", "The card in the camera is almost full. Only 12 shots remain.", "OK", "", "", ""},
      {"alert_info", 1, "Vorlaxent Sharing Detected",
       "The Vorlaxent is currently configured to automatically transfer or print images. Do you want to cancel "
       "this transfer/printing?",
       "Keep Sharing", "Cancel Sharing", "", ""},
      {"alert_error", 2, "Error", "Connection failure.", "Retry", "Cancel", "Disconnect",
       "Check that the camera is switched on, that its cable is plugged in, and that the Vorlaxent is in reach."},
  };
  for (const Shot& s : shots) {
    auto alert = JW_Alert::jwAlertWithStyle(s.style);
    alert->setTitleText(QString::fromUtf8(s.title));
    alert->setInformationText(QString::fromUtf8(s.text));
    alert->setOkButtonText(QString::fromUtf8(s.ok), {});
    alert->setCancelButtonText(QString::fromUtf8(s.cancel), {});
    alert->setThirdButtonText(QString::fromUtf8(s.third), {});
    alert->setHelpText(QString::fromUtf8(s.help));
    alert->showNonModal();
    gClock->advance(1);
    save(alert->window()->grab().toImage(), QString::fromLatin1(s.name));
    if (*s.help) {
      alert->helpAction(nullptr);
      gClock->advance(1);
      // The alert and its help popover above the help button, on a dark desktop.
      platform::Window* w = alert->window();
      SFBPopoverWindow* pw = alert->oHelpPopover->popoverWindow();
      const QRect all = w->geometry().united(pw->geometry()).adjusted(-12, -12, 12, 12);
      QImage img(all.size(), QImage::Format_ARGB32_Premultiplied);
      img.fill(QColor(58, 58, 60));
      QPainter p(&img);
      p.drawImage(w->geometry().topLeft() - all.topLeft(), w->grab().toImage());
      p.drawImage(pw->geometry().topLeft() - all.topLeft(), pw->grab().toImage());
      p.end();
      save(img, QString::fromLatin1(s.name) + QStringLiteral("_help"));
    }
    alert->okAction(nullptr);
  }
}

QWidget* photoLikeContent(int w, int h) {
  // Something to lay an overlay over: a dim gradient "live view" with a grid.
  auto* content = new QLabel();
  QImage bg(w, h, QImage::Format_ARGB32_Premultiplied);
  {
    platform::Canvas c(bg);
    c.drawLinearGradient(platform::Gradient(Color::rgb(0.16, 0.22, 0.3), Color::rgb(0.45, 0.38, 0.3)), {0, 0},
                         {double(w), double(h)}, platform::kGradientDrawsBeforeStart | platform::kGradientDrawsAfterEnd);
    c.setStrokeColor(Color::white(1, 0.25));
    c.setLineWidth(1);
    for (int i = 1; i < 3; ++i) {
      c.strokeLine({w * i / 3.0, 0}, {w * i / 3.0, double(h)});
      c.strokeLine({0, h * i / 3.0}, {double(w), h * i / 3.0});
    }
  }
  content->setPixmap(QPixmap::fromImage(bg));
  content->resize(w, h);
  return content;
}

// A window whose content is the dim "live view", on the screen.
std::unique_ptr<platform::Window> liveViewWindow(int w, int h, QWidget** content) {
  auto window = std::make_unique<platform::Window>();
  window->setFrame({100, 100, double(w), double(h)});
  *content = photoLikeContent(w, h);
  window->setContentView(*content);
  window->orderFront();
  return window;
}

void shootHud() {
  QWidget* content = nullptr;
  {
    auto window = liveViewWindow(560, 380, &content);
    MBProgressHUD* hud = MBProgressHUD::showHUDAddedTo(content, true);
    hud->setLabelText(QStringLiteral("Connecting to camera"));
    hud->setDetailsLabelText(QStringLiteral("Camera on 192.168.1.20"));
    gClock->advance(0.05 * 7);
    save(window->grab().toImage(), QStringLiteral("hud_indeterminate"));
    hud->hide(false);
  }
  {
    auto window = liveViewWindow(560, 380, &content);
    MBProgressHUD* hud = MBProgressHUD::showHUDAddedTo(content, false);
    hud->setMode(MBProgressHUDModeDeterminateHorizontalBar);
    hud->setLabelText(QStringLiteral("64%"));
    hud->setProgress(0.64f);
    hud->setupButton(QStringLiteral("Cancel"), [] {});
    gClock->advance(1);
    save(window->grab().toImage(), QStringLiteral("hud_bar_with_button"));
    hud->setMode(MBProgressHUDModeText);
    hud->setDimBackground(true);
    gClock->advance(1);
    save(window->grab().toImage(), QStringLiteral("hud_text_dimmed"));
    hud->hide(false);
  }
}

void shootPopovers() {
  QWidget* content = nullptr;
  auto window = liveViewWindow(640, 420, &content);
  platform::Window& parent = *window;
  struct Shot {
    unsigned long position;
    const char* name;
  };
  for (const Shot& s : {Shot{SFBPopoverPositionBottom, "popover_below"}, Shot{SFBPopoverPositionTopLeft, "popover_above_left"},
                        Shot{SFBPopoverPositionBottomLeft, "popover_below_left"}, Shot{SFBPopoverPositionRight, "popover_right"}}) {
    auto* panel = new QWidget();
    panel->resize(220, 120);
    auto* layout = new QVBoxLayout(panel);
    auto* label = new QLabel(QStringLiteral("Focus stacking\n12 shots, step 3"));
    label->setStyleSheet(QStringLiteral("color: white; font-size: 14px;"));
    layout->addWidget(label);
    auto* go = new SYFlatButton();
    go->setMinimumSize(100, 30);
    go->setCornerRadius(5);
    go->setBackgroundNormalColor(Color::rgb(1.0, 0.62, 0.04));
    go->setTitleNormalColor(Color::blackColor());
    go->setFont(Font::named(QStringLiteral("AvenirNext-DemiBold"), 13));
    go->setTitle(QStringLiteral("Start"));
    layout->addWidget(go);
    SFBPopover popover(panel);
    popover.setPosition(s.position);
    popover.setBorderColor(Color::clear());
    popover.setBorderWidth(0);
    popover.setDistance(12);
    popover.setBackgroundColor(Color::blackColor().withAlpha(0.75));
    popover.setAnimates(true);
    popover.displayPopoverInWindow(&parent, {320, 210});
    gClock->advance(1);
    QImage img = grabWithChildren(&parent);
    QPainter p(&img);
    p.setPen(QPen(QColor(255, 60, 60), 2));
    p.drawEllipse(QPointF(320, 420 - 210), 3, 3);  // the point the arrow points at
    p.end();
    save(img, QString::fromLatin1(s.name));
    popover.closePopover();
    gClock->advance(1);
  }
}

// Switches off, on, pressed, disabled (off and on), a custom tint, and a large one.
void shootSwitches() {
  QWidget* panel = darkPanel(420, 110, QColor(236, 236, 236));
  struct S {
    int x, y, w, h;
    bool on, enabled, pressed;
    bool customTint;
  };
  const S specs[] = {{20, 20, 52, 30, false, true, false, false},  {90, 20, 52, 30, true, true, false, false},
                     {160, 20, 52, 30, false, true, true, false},  {230, 20, 52, 30, false, false, false, false},
                     {300, 20, 52, 30, true, false, false, false}, {20, 65, 52, 30, true, true, false, true},
                     {90, 60, 90, 40, true, true, false, false}};
  for (const S& s : specs) {
    auto* sw = new ITSwitch(panel);
    sw->setGeometry(s.x, s.y, s.w, s.h);
    if (s.customTint) sw->setTintColor(Color::rgb(0.2, 0.45, 0.95));
    sw->setChecked(s.on);
    sw->setEnabled(s.enabled);
    if (s.pressed) {
      QMouseEvent press(QEvent::MouseButtonPress, QPointF(10, 10), sw->mapToGlobal(QPointF(10, 10)), Qt::LeftButton,
                        Qt::LeftButton, Qt::NoModifier);
      QCoreApplication::sendEvent(sw, &press);
    }
  }
  panel->show();
  gClock->advance(1);
  save(panel->grab().toImage(), QStringLiteral("switches"));
  delete panel;
}

// Numbered cards, and the custom turn the pickers give (pi/8 about the vertical axis, then towards the viewer).
struct ShotCards : iCarouselDataSource, iCarouselDelegate {
  std::int64_t numberOfItemsInCarousel(iCarousel*) override { return 15; }
  QWidget* viewForItemAtIndex(iCarousel*, std::int64_t index, QWidget* reusing) override {
    auto* label = qobject_cast<QLabel*>(reusing);
    if (!label) {
      label = new QLabel();
      label->resize(90, 60);
      label->setAlignment(Qt::AlignCenter);
      label->setAutoFillBackground(true);
      QFont f = label->font();
      f.setPointSize(20);
      f.setBold(true);
      label->setFont(f);
    }
    QPalette pal = label->palette();
    pal.setColor(QPalette::Window, QColor::fromHsv(int(index * 24 % 360), 140, 200));
    pal.setColor(QPalette::WindowText, Qt::white);
    label->setPalette(pal);
    label->setText(QString::number(index));
    return label;
  }
  double carouselItemWidth(iCarousel*) override { return 90; }
  platform::Transform3D itemTransformForOffset(iCarousel*, double offset, platform::Transform3D base) override {
    return platform::Transform3D::translation(0, 0, offset * 90)
        .concat(platform::Transform3D::rotation(3.14159265358979 / 8, 0, 1, 0))
        .concat(base);
  }
  double valueForOption(iCarousel*, std::int64_t option, double value) override {
    return option == iCarouselOptionSpacing ? value * 1.1 : value;
  }
};

void shootCarousels() {
  ShotCards cards;
  const struct {
    std::int64_t type;
    const char* name;
  } types[] = {{0, "linear"}, {1, "ring"}, {3, "cylinder"}, {5, "wheel"}, {7, "tilted_flow"}, {9, "receding_stack"},
               {11, "custom"}};
  for (const auto& t : types) {
    QWidget* panel = darkPanel(520, 220);
    auto* carousel = new iCarousel(panel);
    carousel->setGeometry(0, 0, 520, 220);
    carousel->setType(t.type);
    carousel->setDelegate(&cards);
    carousel->setDataSource(&cards);
    carousel->setCurrentItemIndex(7);
    panel->show();
    gClock->advanceInSteps(1, 1.0 / 60);
    save(panel->grab().toImage(), QStringLiteral("carousel_") + QString::fromLatin1(t.name));
    delete panel;
  }
}

// A coloured-title button, colour views as selection borders (filled, and a layer's rounded border), shrinking
// name fields (off, on, at the minimum), and a Hermite curve through points.
void shootSmallViews() {
  QWidget* panel = darkPanel(460, 200);
  auto* button = new TextColorButton(panel);
  button->setGeometry(20, 20, 140, 32);
  button->setTitle(QStringLiteral("Start"));
  button->setTextColor(Color::rgb(0.85, 0.1, 0.1));
  for (int i = 0; i < 3; ++i) {
    auto* border = new ColorView(panel);
    border->setGeometry(180 + i * 90, 12, 80, 50);
    if (i == 2) {
      // The thumbnail cells' selection ring: clear, with the layer's yellow border and rounded corners.
      border->setBorderWidth(3);
      border->setBorderColor(Color::rgb(1, 1, 0));
      border->setCornerRadius(5);
      continue;
    }
    border->setBackgroundColor(i == 1 ? Color::rgb(0.2, 0.5, 1.0) : Color::white(0.3));
    auto* inner = new ColorView(border);
    inner->setGeometry(3, 3, 74, 44);
    inner->setBackgroundColor(Color::white(0.12));
  }
  const QString name = QStringLiteral("IMG_20261210_180455_HDR_03.CR3");
  const struct {
    bool adjusts;
    double minimum;
  } fields[] = {{false, 1}, {true, 1}, {true, 10}};
  for (int i = 0; i < 3; ++i) {
    auto* field = new AdjustableFontSizeTextField(panel);
    QFont f = field->font();
    f.setPointSizeF(13);
    field->setFont(f);
    QPalette pal = field->palette();
    pal.setColor(QPalette::WindowText, QColor(229, 229, 234));
    field->setPalette(pal);
    field->setMinimumFontSize(fields[i].minimum);
    field->setAdjustsFontSizeToFit(fields[i].adjusts);
    field->setStringValue(name);
    field->setGeometry(20 + i * 145, 80, 135, 30);
    auto* outline = new ColorView(panel);
    outline->setGeometry(20 + i * 145, 111, 135, 1);
    outline->setBackgroundColor(Color::white(0.5));
  }
  struct Curve : QWidget {
    using QWidget::QWidget;
    void paintEvent(QPaintEvent*) override {
      BezierPath path;
      path.interpolatePointsWithHermite({{5, 10}, {60, 60}, {120, 20}, {200, 70}, {260, 40}, {410, 65}}, 6, 0.6);
      QPainter p(this);
      p.setRenderHint(QPainter::Antialiasing);
      p.translate(0, height());
      p.scale(1, -1);  // y-up
      p.setPen(QPen(QColor(90, 200, 250), 2));
      p.drawPath(QuartzPath(path.elements()).path().qtPath());  // as built: the curve stays open
      p.setPen(Qt::NoPen);
      p.setBrush(Qt::white);
      for (Point q : {Point{5, 10}, Point{60, 60}, Point{120, 20}, Point{200, 70}, Point{260, 40}, Point{410, 65}})
        p.drawEllipse(QPointF(q.x, q.y), 3, 3);
    }
  };
  auto* curve = new Curve(panel);
  curve->setGeometry(20, 120, 420, 75);
  panel->show();
  QCoreApplication::processEvents();
  gClock->advance(1);
  save(panel->grab().toImage(), QStringLiteral("small_views"));
  delete panel;
}


// Shape layers: caps, joins, dash patterns and phases, fill under stroke, and a stroke colour caught half-way
// through an ease-out animation (already well past the middle colour).
void shootShapeLayers() {
  auto* host = new platform::LayerHostWidget();
  host->resize(460, 200);
  host->layer().setBackgroundColor(Color::rgb(28 / 255.0, 28 / 255.0, 30 / 255.0));
  auto add = [&](const platform::Path& path, platform::OptionalColor fill, const Color& stroke, double width) {
    auto shape = platform::ShapeLayer::make();
    shape->setFrame({0, 0, 460, 200});
    shape->setPath(path);
    shape->setFillColor(fill);
    shape->setStrokeColor(stroke);
    shape->setLineWidth(width);
    host->layer().addSublayer(shape);
    return shape;
  };
  auto line = [](double x0, double y0, double x1, double y1) {
    platform::Path p;
    p.moveTo({x0, y0});
    p.lineTo({x1, y1});
    return p;
  };
  // Caps: butt, round, square on the same length (the thin line marks the ends).
  const platform::LineCap caps[] = {platform::LineCap::Butt, platform::LineCap::Round, platform::LineCap::Square};
  for (int i = 0; i < 3; ++i) {
    const double y = 170 - i * 25;
    add(line(30, y, 130, y), std::nullopt, Color::rgb(0.35, 0.78, 0.98), 12)->setLineCap(caps[i]);
    add(line(30, y, 130, y), std::nullopt, Color::white(1), 1);
  }
  // Dashes in points, the same at every width, and a phase that shifts them.
  const struct {
    double width, phase;
    std::vector<double> pattern;
  } dashes[] = {{1, 0, {6, 4}}, {3, 0, {6, 4}}, {3, 5, {6, 4}}, {2, 0, {12, 3, 2, 3}}, {4, 0, {1, 6}}};
  for (int i = 0; i < 5; ++i) {
    auto s = add(line(170, 175 - i * 18, 290, 175 - i * 18), std::nullopt, Color::white(0.9), dashes[i].width);
    s->setLineDashPattern(dashes[i].pattern);
    s->setLineDashPhase(dashes[i].phase);
    if (i == 4) s->setLineCap(platform::LineCap::Round);
  }
  // A dashed frame with round caps, and a filled triangle stroked with round joins.
  auto frame = add(platform::Path::rect({320, 110, 110, 70}), std::nullopt, Color::rgb(0.2, 0.85, 0.3), 2);
  frame->setLineDashPattern({10, 6});
  frame->setLineCap(platform::LineCap::Round);
  platform::Path triangle;
  triangle.moveTo({330, 20});
  triangle.lineTo({420, 30});
  triangle.lineTo({360, 95});
  triangle.close();
  add(triangle, Color::rgb(1, 0.62, 0.04).withAlpha(0.5), Color::rgb(1, 0.62, 0.04), 6)
      ->setLineJoin(platform::LineJoin::Round);
  // Ease-out: the left bar is caught at half the duration, the right one shows the middle colour for comparison.
  auto eased = add(line(30, 40, 140, 40), std::nullopt, Color::rgb(1, 0, 0), 20);
  platform::BasicAnimation a;
  a.keyPath = "strokeColor";
  a.fromValue = platform::OptionalColor(Color::rgb(1, 1, 1));
  a.toValue = platform::OptionalColor(Color::rgb(1, 0, 0));
  a.duration = 1.0;
  a.timing = platform::TimingFunction::EaseOut;
  eased->addAnimation(a, "demo");
  add(line(160, 40, 270, 40), std::nullopt, Color::rgb(1, 0.5, 0.5), 20);
  host->show();
  QCoreApplication::processEvents();
  gClock->advance(0.5);
  QCoreApplication::processEvents();
  save(host->grab().toImage(), QStringLiteral("shape_layers"));
  delete host;
}

// A stand-in thumbnail: a coloured landscape picture with its number, so that order and turning show.
Image demoThumbnail(int number, double width = 160, double height = 106) {
  return Image::withSize({width, height}, [number](platform::Canvas& c, const Rect& r) {
    const double hue = (number * 37 % 360) / 360.0;
    const QColor top = QColor::fromHsvF(hue, 0.55, 0.95), bottom = QColor::fromHsvF(hue, 0.8, 0.45);
    c.setFillColor(Color::fromQColor(bottom));
    c.fillRect(r);
    c.setFillColor(Color::fromQColor(top));
    c.fillRect({0, r.height() / 2, r.width(), r.height() / 2});
    c.setFillColor(Color::white(1, 0.85));
    c.fillEllipse({r.width() * 0.7, r.height() * 0.62, r.height() * 0.25, r.height() * 0.25});
    c.drawString(QString::number(number), {8, 6, r.width() - 16, r.height() * 0.45},
                 Font::named(QStringLiteral("AvenirNext-Medium"), r.height() * 0.3), Color::whiteColor());
    return true;
  });
}

// A thumbnail item: a picture fitted into the item with a yellow rounded border while selected; every
// seventh picture stands turned a quarter (as a portrait shot from its orientation), every eleventh is faded.
class DemoThumbnailItem : public platform::CollectionViewItem {
 public:
  void show(int number, const Size& itemSize) {
    const Size fitted{itemSize.width - 10, (itemSize.width - 10) * 106 / 160};
    image_->setImage(demoThumbnail(number));
    const Rect frame{(itemSize.width - fitted.width) / 2, (itemSize.height - fitted.height) / 2, fitted.width,
                     fitted.height};
    platform::setFrame(image_, frame);
    const bool turned = number % 7 == 3;
    image_->layer().setPosition({frame.midX(), frame.midY()});
    image_->layer().setTransform(turned ? platform::Transform3D::rotation(3 * M_PI / 2, 0, 0, 1)
                                        : platform::Transform3D());
    const Rect outline = turned ? Rect{frame.midX() - fitted.height / 2, frame.midY() - fitted.width / 2,
                                       fitted.height, fitted.width}
                                : frame;
    platform::setFrame(border_, outline.insetBy(-4, -4));
    platform::setAlphaValue(image_, number % 11 == 5 ? 0.5 : 1.0);
  }
  void setSelected(bool selected) override {
    CollectionViewItem::setSelected(selected);
    if (border_) border_->setVisible(selected);
  }

 protected:
  void loadView() override {
    auto* root = new platform::View();
    root->resize(int(kItem.width), int(kItem.height));
    image_ = new platform::ImageView(root);
    image_->setImageScaling(platform::ImageScaling::ProportionallyUpOrDown);
    border_ = new platform::View(root);
    border_->layer().setBorderWidth(3);
    border_->layer().setBorderColor(Color::rgb(1, 1, 0));
    border_->layer().setCornerRadius(5);
    border_->hide();
    setView(root);
  }

 public:
  static constexpr Size kItem{170, 120};

 private:
  platform::ImageView* image_ = nullptr;
  platform::View* border_ = nullptr;
};

class DemoThumbnails : public platform::CollectionViewDataSource {
 public:
  int count = 0;
  Size itemSize = DemoThumbnailItem::kItem;
  int collectionViewNumberOfItemsInSection(platform::CollectionView*, int) override { return count; }
  platform::CollectionViewItem* collectionViewItemForRepresentedObjectAtIndexPath(
      platform::CollectionView* view, const platform::IndexPath& path) override {
    auto* item = static_cast<DemoThumbnailItem*>(view->makeItemWithIdentifier("DemoThumbnail", path));
    item->view()->resize(int(itemSize.width), int(itemSize.height));
    item->show(path.item + 1, itemSize);
    item->setSelected(view->selectionIndexPaths().count(path) > 0);
    return item;
  }
};

// Collection views: a grid of 5,000 thumbnails on a grey ground scrolled well down, one selected; and a strip
// into which a picture was just appended, scrolled to its right end and caught half-way through fading in.
void shootCollectionViews() {
  auto* panel = darkPanel(720, 560);
  DemoThumbnails gridSource, stripSource;
  auto makeView = [](QWidget* parent, const Rect& frame, DemoThumbnails& source, platform::ScrollDirection dir) {
    auto* scroll = new platform::ScrollView(parent);
    platform::setFrame(scroll, frame);
    scroll->resize(int(frame.width()), int(frame.height()));
    auto* grid = new platform::CollectionView();
    grid->registerClass([] { return std::make_unique<DemoThumbnailItem>(); }, "DemoThumbnail");
    platform::CollectionViewFlowLayout layout;
    layout.itemSize = source.itemSize;
    layout.minimumInteritemSpacing = 4;
    layout.minimumLineSpacing = 4;
    layout.sectionInset = {6, 6, 6, 6};
    layout.scrollDirection = dir;
    grid->setCollectionViewLayout(layout);
    grid->setDataSource(&source);
    grid->setSelectable(true);
    auto* ground = new platform::View();
    ground->layer().setBackgroundColor(Color::rgb(0.5, 0.5, 0.5));
    grid->setBackgroundView(ground);
    scroll->setDocumentView(grid);
    scroll->setHasVerticalScroller(dir == platform::ScrollDirection::Vertical);
    scroll->setHasHorizontalScroller(dir == platform::ScrollDirection::Horizontal);
    scroll->setAutohidesScrollers(true);
    return grid;
  };
  gridSource.count = 5000;
  auto* grid = makeView(panel, {10, 150, 700, 400}, gridSource, platform::ScrollDirection::Vertical);
  grid->reloadData();
  grid->selectItemsAtIndexPaths({platform::IndexPath::forItem(2405)}, platform::ScrollPosition::CenteredVertically);
  stripSource.count = 12;
  stripSource.itemSize = {120, 120};
  auto* strip = makeView(panel, {10, 10, 700, 132}, stripSource, platform::ScrollDirection::Horizontal);
  strip->reloadData();
  panel->show();
  QCoreApplication::processEvents();
  stripSource.count = 13;
  strip->insertItemsAtIndexPaths({platform::IndexPath::forItem(12)});
  strip->scrollToItemsAtIndexPaths({platform::IndexPath::forItem(12)}, platform::ScrollPosition::Right);
  gClock->advanceInSteps(platform::CollectionView::kDefaultAnimationDuration / 2, 1.0 / 60);
  QCoreApplication::processEvents();
  save(panel->grab().toImage(), QStringLiteral("collection_views"));
  delete panel;
}

// A scroll view over a large picture, zoomed in: caught 0.2 s into the 0.6 s ease-out glide after a flick, with
// the open-hand cursor over the document and both scrollers shown.
void shootScrollView() {
  auto* panel = darkPanel(420, 280);
  auto* scroll = new platform::ScrollView(panel);
  scroll->setGeometry(10, 10, 400, 260);
  auto* picture = new platform::ImageView();
  picture->setImageScaling(platform::ImageScaling::AxesIndependently);
  // A map of the document: a grid every 100 points labelled with its y-up coordinates.
  picture->setImage(Image::withSize({1920, 1272}, [](platform::Canvas& c, const Rect& r) {
    c.setFillColor(Color::rgb(0.16, 0.3, 0.45));
    c.fillRect(r);
    c.setFillColor(Color::rgb(0.95, 0.6, 0.2));
    c.fillEllipse({700, 450, 500, 380});
    c.setStrokeColor(Color::white(1, 0.35));
    c.setLineWidth(1);
    for (int x = 0; x <= 1920; x += 100) c.strokeLine({x + 0.5, 0}, {x + 0.5, r.height()});
    for (int y = 0; y <= 1272; y += 100) c.strokeLine({0, y + 0.5}, {r.width(), y + 0.5});
    const Font font = Font::named(QStringLiteral("AvenirNext-Medium"), 12);
    for (int x = 0; x < 1920; x += 100) {
      for (int y = 0; y < 1272; y += 100) {
        c.drawString(QStringLiteral("%1,%2").arg(x).arg(y), Point{x + 6.0, y + 6.0}, font, Color::white(0.9));
      }
    }
    return true;
  }));
  picture->resize(1920, 1272);
  scroll->setDocumentView(picture);
  scroll->setHasHorizontalScroller(true);
  scroll->setHasVerticalScroller(true);
  scroll->setAutohidesScrollers(true);
  scroll->setDocumentCursor(Qt::OpenHandCursor);
  scroll->contentView()->scrollToPoint({760, 500});
  panel->show();
  QCoreApplication::processEvents();
  platform::AnimationContext::run(0.6, platform::TimingFunction::EaseOut,
                                  [&] { scroll->contentView()->setBoundsOrigin({760 - 400, 500 + 250}); });
  gClock->advanceInSteps(0.2, 1.0 / 60);
  QCoreApplication::processEvents();
  save(panel->grab().toImage(), QStringLiteral("scroll_view_glide"));
  gClock->advance(1);
  delete panel;
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
    return 2;
  }
  gOut = QDir(QString::fromLocal8Bit(argv[1]));
  if (!gOut.mkpath(QStringLiteral("."))) {
    std::fprintf(stderr, "cannot create %s\n", argv[1]);
    return 1;
  }
  gClock = std::make_shared<platform::testing::ManualTimeSource>();
  platform::ScopedTimeSource clock(gClock);
  shootButtons();
  shootSpinner();
  shootAlerts();
  shootHud();
  shootPopovers();
  shootSwitches();
  shootCarousels();
  shootSmallViews();
  shootShapeLayers();
  shootCollectionViews();
  shootScrollView();
  return gWritten > 0 ? 0 : 1;
}
