// Controls bound as the settings window and the timer panel bind them: a check box to a setting through a
// value transformer, a text field to a panel's number through a two-digit formatter. The user's action writes
// the bound value once, a change made elsewhere (on any thread) shows in the control without being written
// back, and a binding that has ended shows nothing more.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <gtest/gtest.h>

#include <map>
#include <mutex>
#include <thread>

#include "platform/foundation/dispatch.h"
#include "platform/foundation/test_application.h"
#include "platform/foundation/user_defaults.h"
#include "platform/ui/binding.h"
#include "platform/ui/control_binding.h"
#include "platform/ui/observable_properties.h"

namespace platform {
namespace {

using namespace std::chrono_literals;

// Numbers shown with two digits and read back within a range, as the timer panel's minute and second fields are.
class TwoDigitTransformer : public ValueTransformer {
public:
    Value transformedValue(const Value& value) const override {
        char text[16];
        std::snprintf(text, sizeof text, "%02lld", static_cast<long long>(value.toInteger()));
        return Value(std::string(text));
    }
    Value reverseTransformedValue(const Value& value) const override {
        return Value(std::clamp<int64_t>(Value(value.toString()).toInteger(), 0, 59));
    }
};

// A panel's own properties as a bindable object, as a view controller offers them to its interface file.
class PanelProperties : public KeyValueObject {
public:
    Value valueForKeyPath(const std::string& keyPath) const override {
        std::lock_guard lock(mutex_);
        auto it = values_.find(keyPath);
        return it == values_.end() ? Value() : it->second;
    }
    void setValueForKeyPath(const Value& value, const std::string& keyPath) override {
        std::vector<Observer> toTell;
        {
            std::lock_guard lock(mutex_);
            values_[keyPath] = value;
            ++writes_[keyPath];
            for (auto& [key, observer] : observers_)
                if (key.second == keyPath) toTell.push_back(observer);
        }
        for (auto& o : toTell) o(value);
    }
    void addObserver(const void* owner, const std::string& keyPath, Observer observer) override {
        std::lock_guard lock(mutex_);
        observers_[{owner, keyPath}] = std::move(observer);
    }
    void removeObserver(const void* owner, const std::string& keyPath) override {
        std::lock_guard lock(mutex_);
        observers_.erase({owner, keyPath});
    }
    int writes(const std::string& keyPath) const {
        std::lock_guard lock(mutex_);
        auto it = writes_.find(keyPath);
        return it == writes_.end() ? 0 : it->second;
    }

private:
    mutable std::mutex mutex_;
    std::map<std::string, Value> values_;
    std::map<std::string, int> writes_;
    std::map<std::pair<const void*, std::string>, Observer> observers_;
};

// Notes the thread of every change of its tick, whoever makes it.
class RecordingCheckBox : public QCheckBox {
public:
    using QCheckBox::QCheckBox;
    std::vector<bool> setOnMainThread;

protected:
    void checkStateSet() override {
        setOnMainThread.push_back(isMainThread());
        QCheckBox::checkStateSet();
    }
};

class BindingTest : public ::testing::Test {
protected:
    void SetUp() override {
        ensureTestApplication();
        ASSERT_TRUE(dir_.isValid());
        defaults_ = std::make_unique<UserDefaults>(dir_.filePath("settings.plist").toStdString());
        settings_ = std::make_shared<UserDefaultsController>(*defaults_);
        defaults_->addObserver(this, kKey, [this](const std::string&, const Value&) { ++notices_; });
    }
    void TearDown() override { defaults_->removeObserver(this); }

    static constexpr const char* kKey = "SdCardAutoTransfer";
    QTemporaryDir dir_;
    std::unique_ptr<UserDefaults> defaults_;
    std::shared_ptr<UserDefaultsController> settings_;
    std::atomic<int> notices_{0};
};

TEST_F(BindingTest, CheckBoxWritesTheSettingThroughItsTransformerAndFollowsChangesFromAnyThread) {
    defaults_->setBool(true, kKey);
    notices_ = 0;
    auto box = std::make_unique<RecordingCheckBox>("Keep pictures off the SD card");
    box->resize(240, 24);
    box->show();
    bindValue(box.get(), {settings_, std::string("values.") + kKey, BindingOptions{nullptr, "NSNegateBoolean"}});
    EXPECT_FALSE(box->isChecked()) << "true shown negated";
    EXPECT_EQ(valueBindingInfo(box.get())->observedKeyPath, std::string("values.") + kKey);

    // The user ticks the box: the setting gets the reverse-transformed value, once.
    QTest::mouseClick(box.get(), Qt::LeftButton, {}, QPoint(8, 12));
    EXPECT_TRUE(box->isChecked());
    EXPECT_FALSE(defaults_->boolForKey(kKey));
    EXPECT_EQ(notices_, 1) << "showing the written value does not write it again";

    // Changed elsewhere on the main thread: shown at once, not written back.
    defaults_->setBool(true, kKey);
    EXPECT_FALSE(box->isChecked());
    EXPECT_EQ(notices_, 2);

    // Changed on another thread: shown on the main thread.
    std::thread([this] { defaults_->setBool(false, kKey); }).join();
    EXPECT_TRUE(runMainUntil([&] { return box->isChecked(); }, 5s));
    EXPECT_EQ(notices_, 3);
    ASSERT_FALSE(box->setOnMainThread.empty());
    for (bool onMain : box->setOnMainThread) EXPECT_TRUE(onMain);

    // Ended bindings show nothing: neither a change made after unbinding, nor one already on its way to the
    // main thread when the control goes.
    unbindValue(box.get());
    EXPECT_FALSE(valueBindingInfo(box.get()).has_value());
    defaults_->setBool(true, kKey);
    EXPECT_TRUE(box->isChecked());
    QTest::mouseClick(box.get(), Qt::LeftButton, {}, QPoint(8, 12));
    EXPECT_TRUE(defaults_->boolForKey(kKey)) << "an unbound box writes nothing";

    bindValue(box.get(), {settings_, std::string("values.") + kKey, BindingOptions{nullptr, "NSNegateBoolean"}});
    std::thread([this] { defaults_->setBool(false, kKey); }).join();
    box.reset();
    QCoreApplication::processEvents();  // the pending show finds its control gone and does nothing
}

TEST_F(BindingTest, TextFieldShowsThePanelsNumberInTwoDigitsAndWritesWhatTheUserTyped) {
    auto panel = std::make_shared<PanelProperties>();
    panel->setValueForKeyPath(Value(5), "initialDelayMinutes");
    QLineEdit field;
    field.show();
    bindValue(&field, {panel, "initialDelayMinutes", BindingOptions{std::make_shared<TwoDigitTransformer>(), ""}});
    EXPECT_EQ(field.text(), "05");

    struct Typed {
        const char* keys;
        int64_t stored;
        const char* shown;  // as the formatter shows the stored value again
    };
    const Typed cases[] = {{"7", 7, "07"}, {"75", 59, "59"}, {"x", 0, "00"}};
    int writes = panel->writes("initialDelayMinutes");
    for (const Typed& c : cases) {
        SCOPED_TRACE(c.keys);
        field.setFocus();
        field.selectAll();
        QTest::keyClicks(&field, c.keys);
        QTest::keyClick(&field, Qt::Key_Return);
        EXPECT_EQ(panel->valueForKeyPath("initialDelayMinutes"), Value(c.stored));
        EXPECT_EQ(panel->writes("initialDelayMinutes"), ++writes);
        EXPECT_EQ(field.text(), c.shown);
    }
    // Ending an edit that changed nothing writes nothing.
    emit field.editingFinished();
    EXPECT_EQ(panel->writes("initialDelayMinutes"), writes);

    // The panel sets its own property (loading its saved state): the field shows it.
    panel->setValueForKeyPath(Value(12), "initialDelayMinutes");
    EXPECT_EQ(field.text(), "12");
    EXPECT_FALSE(field.isModified());
}

// Notes the thread of every move of its knob, whoever makes it.
class RecordingSlider : public QSlider {
public:
    using QSlider::QSlider;
    std::vector<bool> movedOnMainThread;

protected:
    void sliderChange(SliderChange change) override {
        if (change == SliderValueChange) movedOnMainThread.push_back(isMainThread());
        QSlider::sliderChange(change);
    }
};

// The tripod panel's speed slider: bound to the panel's own "tripodSpeed", whose setter ignores changes of less
// than 20. The user's moves go through the setter (a refused one puts the knob back); the panel's own changes,
// made on any thread, move the knob on the main thread and are not written back.
TEST_F(BindingTest, SliderFollowsAControllersPropertyBothWaysWhateverThreadSetsIt) {
    auto properties = ObservableProperties::make();
    ObservableProperty<int> speed(properties, "tripodSpeed", 512);
    std::vector<int> sent;
    speed.setSetter([&](int s) {
        if (std::abs(s - speed.get()) < 20) return;
        speed.set(s);
        sent.push_back(s);
    });
    RecordingSlider slider(Qt::Horizontal);
    slider.setRange(0, 1023);
    slider.setSingleStep(13);
    slider.setPageStep(28);
    slider.show();
    ASSERT_TRUE(bind(&slider, "value", {properties, "tripodSpeed"}));
    EXPECT_EQ(slider.value(), 512);

    QTest::keyClick(&slider, Qt::Key_Right);  // 525: less than 20 away
    EXPECT_EQ(slider.value(), 512) << "refused: the knob goes back";
    EXPECT_TRUE(sent.empty());
    QTest::keyClick(&slider, Qt::Key_PageUp);  // 540
    EXPECT_EQ(sent, std::vector<int>{540});
    EXPECT_EQ(speed.get(), 540);
    EXPECT_EQ(slider.value(), 540);

    slider.movedOnMainThread.clear();
    std::thread([&] { speed.set(700); }).join();
    EXPECT_TRUE(runMainUntil([&] { return slider.value() == 700; }, 5s));
    EXPECT_EQ(sent, std::vector<int>{540}) << "shown, not written back";
    ASSERT_FALSE(slider.movedOnMainThread.empty());
    for (bool onMain : slider.movedOnMainThread) EXPECT_TRUE(onMain);
}

// The settings window's auto-view choice: the items from the controller's list, the selection from a setting.
TEST_F(BindingTest, ComboBoxTakesItsItemsFromAListAndItsSelectionFromASetting) {
    auto properties = ObservableProperties::make();
    properties->set("autoViewValues", Value(ValueArray{"Off", "Show", "Download", "Show and download"}));
    defaults_->setInteger(1, "AutoViewImages");
    QComboBox combo;
    combo.show();
    ASSERT_TRUE(bind(&combo, "selectedIndex", {settings_, "values.AutoViewImages"}));
    ASSERT_TRUE(bind(&combo, "content", {properties, "autoViewValues"}));
    EXPECT_EQ(combo.count(), 4);
    EXPECT_EQ(combo.currentText(), QString("Show")) << "selected once the items are there";

    QTest::keyClick(&combo, Qt::Key_Down);
    EXPECT_EQ(defaults_->integerForKey("AutoViewImages"), 2);
    std::thread([this] { defaults_->setInteger(3, "AutoViewImages"); }).join();
    EXPECT_TRUE(runMainUntil([&] { return combo.currentIndex() == 3; }, 5s));
    std::thread([this] { defaults_->setInteger(9, "AutoViewImages"); }).join();
    EXPECT_TRUE(runMainUntil([&] { return combo.currentIndex() == -1; }, 5s)) << "no such item: none selected";

    // The "value" binding selects by text.
    properties->set("choice", Value("Download"));
    ASSERT_TRUE(bind(&combo, "value", {properties, "choice"}));
    EXPECT_EQ(combo.currentIndex(), 2);
    QTest::keyClick(&combo, Qt::Key_Up);
    EXPECT_EQ(properties->valueForKeyPath("choice"), Value("Show"));
}

// Read-only displays and states, set from the device-message thread as the timer panel's feedback is.
TEST_F(BindingTest, LabelProgressEnabledAndHiddenShowTheirPropertyOnTheMainThread) {
    auto properties = ObservableProperties::make();
    QLabel label;
    QProgressBar bar;
    bar.setRange(0, 1000);
    bar.setProperty("minValue", 0.0);
    bar.setProperty("maxValue", 1.0);
    QPushButton button("Start");
    QLabel disabledReason("Bulb needs live view off");
    for (QWidget* w : std::initializer_list<QWidget*>{&label, &bar, &button, &disabledReason}) w->show();
    ASSERT_TRUE(bind(&label, "value", {properties, "feedbackShotsRemainingString"}));
    ASSERT_TRUE(bind(&bar, "value", {properties, "feedbackPercent"}));
    ASSERT_TRUE(bind(&button, "enabled", {properties, "isBulbEnabled"}));
    ASSERT_TRUE(bind(&disabledReason, "hidden", {properties, "isDisabledBulbViewHidden"}));
    EXPECT_FALSE(button.isEnabled()) << "an unset property reads as false";

    std::thread([&] {
        properties->set("feedbackShotsRemainingString", Value("3 of 10 shots"));
        properties->set("feedbackPercent", Value(0.3));
        properties->set("isBulbEnabled", Value(true));
        properties->set("isDisabledBulbViewHidden", Value(true));
    }).join();
    EXPECT_TRUE(runMainUntil([&] { return disabledReason.isHidden(); }, 5s));
    EXPECT_EQ(label.text(), QString("3 of 10 shots"));
    EXPECT_EQ(bar.value(), 300) << "a fraction of the bar's range";
    EXPECT_TRUE(button.isEnabled());

    // A binding a control does not have is refused.
    EXPECT_FALSE(bind(&label, "selectedIndex", {properties, "x"}));
    EXPECT_FALSE(bindingInfo(&label, "selectedIndex").has_value());
}

}  // namespace
}  // namespace platform
