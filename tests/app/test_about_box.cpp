// The about dialog: its falling characters (without a window), the slide to the hidden
// picture, the "Info" menu and its documents, dragging and closing.
#include <QDir>
#include <QFrame>
#include <QLabel>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QSvgRenderer>
#include <QTimer>
#include <QtTest/QTest>
#include <deque>
#include <map>
#include <random>
#include <set>

#include "app_test_util.h"
#include "dialogs/about/about_box.h"
#include "ui_helpers.h"
#include "version_info.h"

namespace braceform::testing {
namespace {

// Answers the given values in turn (then 0) and keeps the range each call asked for.
struct ScriptedRandom {
  std::shared_ptr<std::deque<int>> values = std::make_shared<std::deque<int>>();
  std::shared_ptr<std::vector<int>> ranges = std::make_shared<std::vector<int>>();

  RandomSource Source() const {
    return [values = values, ranges = ranges](int n) {
      ranges->push_back(n);
      if (values->empty()) return 0;
      int v = values->front();
      values->pop_front();
      EXPECT_LT(v, n) << "scripted value out of the asked range";
      return v;
    };
  }
};

RandomSource Seeded(unsigned seed) {
  auto engine = std::make_shared<std::mt19937>(seed);
  return [engine](int n) { return std::uniform_int_distribution<int>(0, n - 1)(*engine); };
}

// --- Falling characters, without a window ------------------------------------------

TEST(MatrixRain, LayoutAndDropsPerSurface) {
  const struct {
    int width, height;
    int columns, rows, drops;
  } cases[] = {
      {446, 374, 55, 31, 110},          // the dialog at 96 dpi
      {452, 400, 56, 33, 112},          // with a frame around it
      {7, 11, 0, 0, 0},                 // smaller than one cell: no drops, no division by zero
      {8 * 2600, 120, 2600, 10, 5000},  // the table is full at 5,000
  };
  for (const auto& c : cases) {
    MatrixRain rain("trn", Seeded(1));
    rain.Start(c.width, c.height);
    EXPECT_EQ(rain.matrixWidth(), c.columns) << c.width;
    EXPECT_EQ(rain.matrixHeight(), c.rows) << c.height;
    ASSERT_EQ(rain.drops().size(), static_cast<std::size_t>(c.drops)) << c.width;
    std::map<int, int> perColumn;
    for (std::size_t i = 0; i < rain.drops().size(); ++i) {
      EXPECT_EQ(rain.drops()[i].column, static_cast<int>(i) % c.columns);
      ++perColumn[rain.drops()[i].column];
    }
    if (c.drops < MatrixRain::kMaxDrops) {
      for (const auto& [column, count] : perColumn) EXPECT_EQ(count, 2) << column;
    }
    rain.Step();  // nothing to step in the degenerate case either
    rain.AddDrop();
    EXPECT_LE(rain.drops().size(), static_cast<std::size_t>(MatrixRain::kMaxDrops));
  }
}

// The ends of each range come from the random source's ends: a row from 0 to rows - 1, a
// speed from 1 to 3, a brightness from 0 to 99.
TEST(MatrixRain, NewDropsSpanTheirRanges) {
  for (bool high : {false, true}) {
    MatrixRain rain("trn", [high](int n) { return high ? n - 1 : 0; });
    rain.Start(80, 120);
    for (const RainDrop& d : rain.drops()) {
      EXPECT_EQ(d.row, high ? 9 : 0);
      EXPECT_EQ(d.speed, high ? 3 : 1);
      EXPECT_EQ(d.brightness, high ? 99 : 0);
    }
  }
  MatrixRain rain("trn", Seeded(7));
  rain.Start(446, 374);
  std::set<int> speeds, brightness;
  for (int step = 0; step < 400; ++step) {
    rain.Step();
    for (const RainDrop& d : rain.drops()) {
      speeds.insert(d.speed);
      brightness.insert(d.brightness);
      ASSERT_GE(d.row, 0);
      ASSERT_LE(d.row, rain.matrixHeight() + 1);
    }
  }
  EXPECT_EQ(speeds, (std::set<int>{1, 2, 3}));
  EXPECT_EQ(*brightness.begin(), 0);
  EXPECT_EQ(*brightness.rbegin(), 99);
}

TEST(MatrixRain, TrailIsFortyRowsWrappedIntoTheMatrix) {
  const struct {
    int height, row, erased;
  } cases[] = {
      {374, 0, 24},   // 31 rows: -40 + 32 + 32
      {374, 5, 29},   // -35 + 32 + 32
      {374, 32, 24},  // below the last row: -8 + 32
      {374, 8, 0},    // -32 + 32 reaches 0 exactly
      {1200, 45, 5},  // 100 rows: no wrap needed
      {1200, 40, 0},
  };
  for (const auto& c : cases) {
    MatrixRain rain("trn", Seeded(1));
    rain.Start(80, c.height);
    EXPECT_EQ(rain.TrailEndRow(c.row), c.erased) << c.height << " row " << c.row;
  }
}

TEST(MatrixRain, HeadAndTrailColours) {
  const struct {
    int brightness;
    RainColour head, trail;
  } cases[] = {
      {0, {0, 0, 0}, {0, 0, 0}},
      {50, {74, 127, 49}, {24, 42, 16}},
      {99, {148, 252, 98}, {49, 84, 32}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(HeadColour(c.brightness), c.head) << c.brightness;
    EXPECT_EQ(TrailColour(c.brightness), c.trail) << c.brightness;
  }
  EXPECT_EQ(LevelColour(255), (RainColour{150, 255, 100}));
}

// One column, two rows (wrap after row 3): the cells each step changes, the moves by
// speed and the new speed and brightness of a drop that starts again at the top.
TEST(MatrixRain, StepChangesOnlyEachDropsThreeCells) {
  ScriptedRandom random;
  // drop 0: row 1, speed 1, brightness 10; drop 1: row 0, speed 3, brightness 20
  *random.values = {1, 0, 10, 0, 2, 20};
  MatrixRain rain("trn", random.Source());
  rain.Start(8, 24);
  ASSERT_EQ(rain.drops().size(), 2u);

  struct Cell {
    int row;
    bool erase;
    char character;
    bool operator==(const Cell&) const = default;
  };
  auto cells = [](const std::vector<RainCell>& changed) {
    std::vector<Cell> out;
    for (const RainCell& c : changed) {
      EXPECT_EQ(c.column, 0);
      out.push_back({c.row, c.erase, c.erase ? '\0' : c.character});
    }
    return out;
  };

  // Frame 0: both move. Characters "r" for drop 0, "n" for drop 1.
  *random.values = {1, 2};
  const std::vector<RainCell>& first = rain.Step();
  EXPECT_EQ(cells(first), (std::vector<Cell>{{1 - 40 + 3 * 13, true, 0},  // (1 - 40) wrapped by 3
                                             {0, false, 'r'},
                                             {1, false, 'r'},
                                             {0 - 40 + 3 * 14, true, 0},
                                             {0, false, 'n'}}));  // row 0: no trail
  EXPECT_EQ(first[1].colour, TrailColour(10));
  EXPECT_EQ(first[2].colour, HeadColour(10));
  EXPECT_EQ(rain.drops()[0].row, 2);
  EXPECT_EQ(rain.drops()[1].row, 1);

  // Frame 1: drop 1 (speed 3) stays but its head is drawn again with a new character.
  *random.values = {0, 0};
  EXPECT_EQ(cells(rain.Step()).back(), (Cell{1, false, 't'}));
  EXPECT_EQ(rain.drops()[0].row, 3);
  EXPECT_EQ(rain.drops()[1].row, 1);

  // Frame 2: drop 0 passes row 3 and starts again at 0 with speed 2, brightness 77.
  random.ranges->clear();
  *random.values = {0, 1, 77, 0};
  rain.Step();
  EXPECT_EQ(*random.ranges, (std::vector<int>{3, 3, 100, 3}));
  EXPECT_EQ(rain.drops()[0].row, 0);
  EXPECT_EQ(rain.drops()[0].speed, 2);
  EXPECT_EQ(rain.drops()[0].brightness, 77);

  // Frame 3: only drop 1 moves (3 % 3 == 0); drop 0 (speed 2) waits.
  rain.Step();
  EXPECT_EQ(rain.drops()[0].row, 0);
  EXPECT_EQ(rain.drops()[1].row, 2);
  EXPECT_EQ(rain.frame(), 4);
}

// --- Pure rules of the dialog ----------------------------------------------------------

TEST(AboutBoxRules, SlideInterval) {
  const struct {
    int system, window, interval;
  } cases[] = {
      {96, 96, 5},   {96, 192, 2},                                // 2.5: half to even
      {120, 240, 2}, {168, 240, 4},                               // 3.5: half to even
      {96, 128, 4},  {96, 144, 3},  {192, 96, 10}, {96, 960, 1},  // 0.5 rounds to 0: at least 1
      {96, 4800, 1},
  };
  for (const auto& c : cases)
    EXPECT_EQ(SlideInterval(c.system, c.window), c.interval) << c.system << "/" << c.window;
}

TEST(AboutBoxRules, LicenseFileBesideTheExecutableFirst) {
  QTemporaryDir dir;
  ASSERT_TRUE(QDir(dir.path()).mkpath("bin") && QDir(dir.path()).mkpath("share/braceform"));
  const QString exe = dir.filePath("bin/braceform");
  const QString beside = dir.filePath("bin/license.txt");
  const QString installed = dir.filePath("share/braceform/license.txt");
  EXPECT_EQ(LicenseFile(exe), QString());
  QDir(dir.path()).mkpath("bin/license.txt");  // a folder of that name is no licence
  EXPECT_EQ(LicenseFile(exe), QString());
  QDir(dir.path()).rmdir("bin/license.txt");
  WriteBytes(installed, "MIT");
  EXPECT_EQ(LicenseFile(exe), installed);
  WriteBytes(beside, "MIT");
  EXPECT_EQ(LicenseFile(exe), beside);
}

TEST(AboutBoxRules, ButtonMenuIsNotReopenedByTheClickThatClosedIt) {
  qint64 now = 1000;
  std::vector<QPoint> shown;
  QWidget window;
  QPushButton button(&window), other(&window);
  button.setGeometry(10, 20, 100, 30);
  QMenu menu;
  ButtonMenu dropper([&] { return now; },
                     [&](QMenu*, const QPoint& at) {
                       shown.push_back(at);
                       now += 500;  // the menu stays open for half a second
                     });
  EXPECT_TRUE(dropper.Show(&button, &menu));
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0], button.mapToGlobal(QPoint(0, 30)));  // under the button's left corner

  now += 99;  // the closing click reaches the button
  EXPECT_FALSE(dropper.Show(&button, &menu));
  now += 1;  // pressed again at once: the previous pair was forgotten
  EXPECT_TRUE(dropper.Show(&button, &menu));
  now += 100;
  EXPECT_TRUE(dropper.Show(&button, &menu));
  now += 10;  // another button opens its menu whatever the time
  EXPECT_TRUE(dropper.Show(&other, &menu));
  EXPECT_EQ(shown.size(), 4u);
}

// The pictures are compiled in and drawn at the sizes the dialog lays them out at.
TEST(AboutBoxRules, PicturesAreBundledVectorImages) {
  EnsureResources();
  const struct {
    const char* resource;
    QSize size;
  } pictures[] = {{":/about/tarnvex-logo-big-ai-black.svg", {344, 105}},
                  {":/about/cat.svg", {320, 214}},
                  {":/about/app-icon.svg", {64, 64}},
                  {":/about/arrow.svg", {16, 16}}};
  for (const auto& p : pictures) {
    QSvgRenderer renderer{QString::fromLatin1(p.resource)};
    EXPECT_TRUE(renderer.isValid()) << p.resource;
    EXPECT_EQ(renderer.defaultSize(), p.size) << p.resource;
  }
  const QIcon icon = ProgramIcon();
  ASSERT_FALSE(icon.isNull());
  const QImage large = icon.pixmap(QSize(256, 256)).toImage();
  EXPECT_EQ(large.size(), QSize(256, 256));  // drawn at that size, not scaled up from 32
  EXPECT_EQ(qAlpha(large.pixel(0, 0)), 0);   // rounded corner
  EXPECT_EQ(qAlpha(large.pixel(128, 128)), 255);
}

// --- The dialog ----------------------------------------------------------------------

class AboutBoxTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    ASSERT_TRUE(QDir(dir_.path()).mkpath("bin"));
    ui_ = std::make_shared<FakeUi>();
    context_ = std::make_unique<AppContext>(MakeTestContext(dir_.path(), ui_));
    context_->exePath = dir_.filePath("bin/braceform");
  }

  std::unique_ptr<AboutBox> Make(AboutBoxSeams seams = {}) {
    if (!seams.random) seams.random = Seeded(3);
    auto box = std::make_unique<AboutBox>(*context_, nullptr, std::move(seams));
    box->animationTimer()->stop();  // tests step it themselves
    return box;
  }

  std::unique_ptr<AboutBox> Shown(AboutBoxSeams seams = {}) {
    auto box = Make(std::move(seams));
    box->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(box.get()));
    box->animationTimer()->stop();
    return box;
  }

  template <class T>
  static T* Child(const AboutBox& box, const char* name) {
    T* child = box.findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(child, nullptr) << name;
    return child;
  }

  QTemporaryDir dir_;
  std::shared_ptr<FakeUi> ui_;
  std::unique_ptr<AppContext> context_;
};

TEST_F(AboutBoxTest, TextsPassThroughTheTranslation) {
  const std::map<std::string, QString> german = {{"About %s", "Über %s"},
                                                 {"OK", "Gut"},
                                                 {"Info", "Mehr"},
                                                 {"Acknowledgements...", "Danksagung..."},
                                                 {"How to uninstall...", "Deinstallieren..."},
                                                 {"License...", "Lizenz..."},
                                                 {"License", "Lizenz"},
                                                 {"File not found!", "Datei nicht gefunden!"}};
  std::set<std::string> asked;
  AboutBoxSeams seams;
  seams.translate = [&](const char* english) {
    asked.insert(english);
    auto it = german.find(english);
    return it == german.end() ? QString::fromUtf8(english) : it->second;
  };
  auto box = Make(seams);
  EXPECT_EQ(box->windowTitle(), QStringLiteral("Über Braceform"));
  EXPECT_EQ(Child<QLabel>(*box, "Label2")->text(), QStringLiteral("Braceform 2.0"));
  EXPECT_EQ(Child<QPushButton>(*box, "BitBtn1")->text(), QStringLiteral("Gut"));
  EXPECT_EQ(Child<QPushButton>(*box, "BitBtn2")->text(), QStringLiteral("Mehr"));
  EXPECT_FALSE(Child<QPushButton>(*box, "BitBtn2")->icon().isNull());
  QStringList items;
  for (QAction* a : box->popupMenu1()->actions()) items << a->text();
  EXPECT_EQ(items, (QStringList{"Danksagung...", "Deinstallieren...", "Lizenz..."}));

  box->LicensePrivacyPolicy1Click();
  ASSERT_EQ(ui_->boxes.size(), 1u);
  EXPECT_EQ(ui_->boxes[0].caption, QStringLiteral("Lizenz"));
  EXPECT_EQ(ui_->boxes[0].text, QStringLiteral("Datei nicht gefunden!"));
  for (const auto& [english, text] : german) EXPECT_TRUE(asked.count(english)) << english;
}

TEST_F(AboutBoxTest, WindowAndPanelsAsLaidOut) {
  auto box = Make();
  EXPECT_EQ(box->size(), QSize(446, 374));
  EXPECT_EQ(box->minimumSize(), box->maximumSize());
  const Qt::WindowFlags flags = box->windowFlags();
  EXPECT_EQ(flags & Qt::WindowType_Mask, Qt::Tool);
  EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
  EXPECT_FALSE(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
  EXPECT_EQ(box->panel1()->geometry(), QRect(48, 42, 350, 291));
  EXPECT_EQ(box->panelEgg()->geometry(), QRect(61, 77, 324, 220));  // centred
  EXPECT_TRUE(box->panelEgg()->isHidden());
  EXPECT_EQ(Child<QWidget>(*box, "VirtualImage1")->geometry(), QRect(10, 123, 32, 32));

  QLabel* link = Child<QLabel>(*box, "Label5");
  EXPECT_TRUE(link->font().underline());
  EXPECT_EQ(link->palette().color(QPalette::WindowText), QColor(0, 255, 0));
  EXPECT_EQ(link->toolTip(), SiteAddress());
  EXPECT_TRUE(SiteAddress().endsWith(link->text())) << link->text().toStdString();
  EXPECT_EQ(link->cursor().shape(), Qt::PointingHandCursor);
}

TEST_F(AboutBoxTest, LinkAndInfoMenuOpenTheMakersPages) {
  const QString host = QUrl(SiteAddress()).host();
  auto box = Shown();
  QTest::mouseClick(Child<QLabel>(*box, "Label5"), Qt::LeftButton);
  Child<QAction>(*box, "Credits1")->trigger();
  Child<QAction>(*box, "Howtouninstall1")->trigger();
  ASSERT_EQ(ui_->opened.size(), 3u);
  EXPECT_EQ(ui_->opened[0], QUrl(SiteAddress()));
  EXPECT_EQ(ui_->opened[0].scheme(), QStringLiteral("https"));
  EXPECT_EQ(ui_->opened[1].scheme(), QStringLiteral("https"));
  EXPECT_EQ(ui_->opened[1].path(), QStringLiteral("/blog/credits-and-acknowledgements/"));
  EXPECT_EQ(ui_->opened[2].scheme(), QStringLiteral("http"));
  EXPECT_EQ(ui_->opened[2].path(), QStringLiteral("/blog/how-to-uninstall-tarnvex-software/"));
  for (const QUrl& url : ui_->opened) EXPECT_EQ(url.host(), host);

  ui_->openSucceeds = false;  // no browser: nothing is reported
  Child<QAction>(*box, "Credits1")->trigger();
  EXPECT_TRUE(ui_->boxes.empty());
}

TEST_F(AboutBoxTest, LicenseOpensTheFileOrReportsItMissing) {
  auto box = Make();
  box->LicensePrivacyPolicy1Click();
  ASSERT_EQ(ui_->boxes.size(), 1u);
  EXPECT_EQ(ui_->boxes[0].icon, QMessageBox::Critical);
  EXPECT_EQ(ui_->boxes[0].caption, QStringLiteral("License"));
  EXPECT_EQ(ui_->boxes[0].text, QStringLiteral("File not found!"));
  EXPECT_TRUE(ui_->opened.empty());

  const QString license = dir_.filePath("bin/license.txt");
  WriteBytes(license, "MIT License\n");
  Child<QAction>(*box, "LicensePrivacyPolicy1")->trigger();
  ASSERT_EQ(ui_->opened.size(), 1u);
  EXPECT_EQ(ui_->opened[0], QUrl::fromLocalFile(license));
  EXPECT_EQ(ui_->boxes.size(), 1u);
}

TEST_F(AboutBoxTest, InfoButtonDropsTheMenuUnderItself) {
  qint64 now = 0;
  std::vector<QPoint> shown;
  AboutBoxSeams seams;
  seams.clock = [&] { return now; };
  seams.runMenu = [&](QMenu* menu, const QPoint& at) {
    EXPECT_EQ(menu->objectName(), QStringLiteral("PopupMenu1"));
    shown.push_back(at);
  };
  auto box = Shown(seams);
  QPushButton* info = Child<QPushButton>(*box, "BitBtn2");
  info->click();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0], info->mapToGlobal(QPoint(0, info->height())));
  info->click();  // the click that closed the menu
  EXPECT_EQ(shown.size(), 1u);
  now += 150;
  info->click();
  EXPECT_EQ(shown.size(), 2u);
}

// A step draws into the back buffer and asks for just the cells it changed.
TEST_F(AboutBoxTest, StepRepaintsOnlyTheChangedCells) {
  auto box = Shown();
  const MatrixRain& rain = box->rain();
  EXPECT_EQ(rain.drops().size(), 2u * static_cast<std::size_t>(rain.matrixWidth()));
  EXPECT_EQ(rain.charset(), "trn");

  QRegion expected;
  for (const RainDrop& d : rain.drops()) {
    auto cell = [&](int row) {
      expected += QRect(d.column * 8, row * 12, 8, 12).intersected(box->rect());
    };
    cell(rain.TrailEndRow(d.row));
    if (d.row > 0) cell(d.row - 1);
    cell(d.row);
  }
  QImage before = box->backBuffer();

  struct PaintSpy : QObject {
    QRegion painted;
    bool eventFilter(QObject*, QEvent* e) override {
      if (e->type() == QEvent::Paint) painted += static_cast<QPaintEvent*>(e)->region();
      return false;
    }
  } spy;
  QCoreApplication::processEvents();
  box->installEventFilter(&spy);
  box->tmTimerTimer();
  QTRY_VERIFY(!spy.painted.isEmpty());
  box->removeEventFilter(&spy);

  EXPECT_EQ(box->lastStepRegion(), expected);
  EXPECT_TRUE((spy.painted - expected).isEmpty());
  std::int64_t area = 0;
  for (const QRect& r : spy.painted) area += std::int64_t{r.width()} * r.height();
  EXPECT_LT(area, 446 * 374 / 4);

  // Only changed cells differ, and whatever is lit is green above red above blue.
  const QImage& after = box->backBuffer();
  ASSERT_EQ(after.size(), before.size());
  int lit = 0;
  for (int y = 0; y < after.height(); ++y) {
    for (int x = 0; x < after.width(); ++x) {
      const QRgb p = after.pixel(x, y);
      if (p != before.pixel(x, y)) {
        ASSERT_TRUE(expected.contains(QPoint(x, y))) << x << "," << y;
      }
      if (qRed(p) + qGreen(p) + qBlue(p) == 0) continue;
      ++lit;
      ASSERT_GE(qGreen(p), qRed(p));
      ASSERT_GE(qRed(p), qBlue(p));
    }
  }
  EXPECT_GT(lit, 0);
}

TEST_F(AboutBoxTest, IconDoubleClickSlidesThePanelAwayAndThePictureBringsItBack) {
  auto box = Shown();
  QWidget* icon = Child<QWidget>(*box, "VirtualImage1");
  QWidget* picture = Child<QWidget>(*box, "ImageEgg");
  QTest::mouseDClick(icon, Qt::LeftButton);
  ASSERT_TRUE(box->timerEgg()->isActive());
  EXPECT_EQ(box->timerEgg()->interval(), 5);  // 96 dpi here
  EXPECT_TRUE(box->panelEgg()->isVisible());
  box->timerEgg()->stop();  // the ticks are driven by hand from here
  box->timerEgg()->start(60000);

  int ticks = 0;
  while (box->timerEgg()->isActive() && ticks < 1000) {
    box->TimerEggTimer();
    ++ticks;
    if (ticks == 10) {          // nothing interrupts the slide
      box->ImageEggDblClick();  // the panel still covers most of the picture
      QTest::mouseDClick(icon, Qt::LeftButton);
      EXPECT_TRUE(box->panelEgg()->isVisible());
      EXPECT_EQ(box->panel1()->x(), 48 + 50);
      EXPECT_EQ(box->timerEgg()->interval(), 60000);
    }
  }
  EXPECT_EQ(ticks, 80);  // 48 + 80 x 5 = 448 is the first left edge beyond 446
  EXPECT_EQ(box->panel1()->x(), 448);
  EXPECT_EQ(box->panel1()->y(), 42);

  QTest::mouseDClick(picture, Qt::LeftButton);
  EXPECT_FALSE(box->panelEgg()->isVisible());
  EXPECT_EQ(box->panel1()->pos(), QPoint(48, 42));

  QTest::mouseDClick(icon, Qt::LeftButton);  // and once more
  EXPECT_TRUE(box->timerEgg()->isActive());
  EXPECT_TRUE(box->panelEgg()->isVisible());
}

TEST_F(AboutBoxTest, DraggedByAnySurfaceButNotWithTheRightButton) {
  const struct {
    const char* surface;
    Qt::MouseButton button;
    bool moves;
  } cases[] = {
      {"AboutBox", Qt::LeftButton, true}, {"Image2", Qt::LeftButton, true},
      {"Label2", Qt::MiddleButton, true}, {"Panel1", Qt::LeftButton, true},
      {"Panel1", Qt::RightButton, false}, {"Image2", Qt::RightButton, false},
  };
  for (const auto& c : cases) {
    auto box = Shown();
    QWidget* surface =
        box->objectName() == QLatin1String(c.surface) ? box.get() : Child<QWidget>(*box, c.surface);
    const QPoint start = box->pos();
    const QPoint local(5, 5);
    const QPoint global = surface->mapToGlobal(local);
    auto send = [&](QEvent::Type type, QPoint at, Qt::MouseButtons held) {
      QMouseEvent event(type, QPointF(surface->mapFromGlobal(at)), QPointF(at),
                        type == QEvent::MouseMove ? Qt::NoButton : c.button, held, Qt::NoModifier);
      QCoreApplication::sendEvent(surface, &event);
    };
    send(QEvent::MouseButtonPress, global, c.button);
    send(QEvent::MouseMove, global + QPoint(30, 20), c.button);
    send(QEvent::MouseMove, global + QPoint(40, 25), c.button);
    send(QEvent::MouseButtonRelease, global + QPoint(40, 25), Qt::NoButton);
    send(QEvent::MouseMove, global + QPoint(90, 90), Qt::NoButton);  // released: no drag
    EXPECT_EQ(box->pos(), c.moves ? start + QPoint(40, 25) : start) << c.surface << c.button;
  }
  EXPECT_TRUE(ui_->opened.empty());
}

TEST_F(AboutBoxTest, OkAndEscapeOnEitherButtonClose) {
  for (const char* button : {"BitBtn1", "BitBtn2"}) {
    auto box = Shown();
    QTest::keyClick(Child<QPushButton>(*box, button), Qt::Key_Escape);
    EXPECT_FALSE(box->isVisible()) << button;
    EXPECT_EQ(box->result(), QDialog::Rejected);
  }
  auto box = Shown();
  QTest::keyClick(Child<QPushButton>(*box, "BitBtn1"), Qt::Key_A);  // other keys do not
  EXPECT_TRUE(box->isVisible());
  Child<QPushButton>(*box, "BitBtn1")->click();
  EXPECT_FALSE(box->isVisible());
}

// The window creates the dialog for each opening, shows it modally and frees it.
TEST_F(WindowTest, AboutButtonOpensAFreshModalAboutBox) {
  for (int opening = 0; opening < 2; ++opening) {
    QString title;
    bool modal = false;
    QTimer::singleShot(0, [&] {
      for (QWidget* w : QApplication::topLevelWidgets()) {
        auto* box = qobject_cast<AboutBox*>(w);
        if (box == nullptr || !box->isVisible()) continue;
        title = box->windowTitle();
        modal = box->isModal();
        box->reject();
      }
    });
    Click("Button2");
    EXPECT_EQ(title, QStringLiteral("About Braceform"));
    EXPECT_TRUE(modal);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(form_->findChildren<AboutBox*>().isEmpty());
  }
}

}  // namespace
}  // namespace braceform::testing
