#include "AXLayerTest.h"

using namespace zorbel;
using namespace zorbel::platform;
using zorbel::testing::AXLayerTest;

namespace {
struct Delivery {
    Observer* observer;
    UIElement element;
    AXNotification notification;
    std::optional<ObserverInformation> information;
};
}  // namespace

class ObserverTest : public AXLayerTest {
protected:
    std::shared_ptr<Observer> makeObserver()
    {
        return std::make_shared<Observer>(512, [this](Observer& o, const UIElement& e, AXNotification n) {
            deliveries.push_back({&o, e, n, std::nullopt});
        });
    }
    UIElement app() { return wrap(&notes->element()); }

    std::vector<Delivery> deliveries;
};

TEST_F(ObserverTest, DeliversOnTheNextTurnWithANewEqualElement)
{
    auto observer = makeObserver();
    observer->addNotification(AXNotification::focusedUIElementChanged, app());
    observer->addNotification(AXNotification::focusedUIElementChanged, app());
    desktop().focus(*area);
    EXPECT_TRUE(deliveries.empty()) << "not inside the change";
    deliver();
    ASSERT_EQ(deliveries.size(), 1u) << "registered twice, delivered once";
    EXPECT_EQ(deliveries[0].observer, observer.get());
    EXPECT_EQ(deliveries[0].element, wrap(area));
    EXPECT_EQ(deliveries[0].notification, AXNotification::focusedUIElementChanged);
}

TEST_F(ObserverTest, RegistrationsOutliveStopAndEndWithRemoval)
{
    auto observer = makeObserver();
    observer->removeNotification(AXNotification::moved, app());
    observer->addNotification(AXNotification::selectedTextChanged, app());
    observer->stop();
    field->setCaret(1);
    deliver();
    EXPECT_TRUE(deliveries.empty());
    observer->start();
    field->setCaret(2);
    deliver();
    ASSERT_EQ(deliveries.size(), 1u);
    EXPECT_EQ(deliveries[0].element, wrap(field));

    observer->removeNotification(AXNotification::selectedTextChanged, app());
    field->setCaret(3);
    deliver();
    EXPECT_EQ(deliveries.size(), 1u);
}

TEST_F(ObserverTest, DestroyingTheObserverEndsDeliveryEvenOfPostedNotifications)
{
    auto observer = makeObserver();
    observer->addNotification(AXNotification::focusedUIElementChanged, app());
    desktop().focus(*field);
    observer.reset();
    deliver();
    EXPECT_TRUE(deliveries.empty());
}

TEST_F(ObserverTest, ACallbackMayDestroyItsObserver)
{
    std::shared_ptr<Observer> observer;
    int calls = 0;
    observer = std::make_shared<Observer>(512, [&](Observer&, const UIElement&, AXNotification) {
        ++calls;
        observer.reset();
    });
    observer->addNotification(AXNotification::focusedUIElementChanged, app());
    desktop().focus(*field);
    desktop().focus(*area);
    deliver();
    EXPECT_EQ(calls, 1);
}

TEST_F(ObserverTest, UnknownNotificationsAreLoggedAndDropped)
{
    auto observer = makeObserver();
    desktop().broadcastNotification(*field, "AXZorbelSparkle");
    desktop().broadcastNotification(*field, "AXMoved");
    deliver();
    EXPECT_EQ(world().log.lines(), QStringList{"Unknown AX notification AXZorbelSparkle received"});
    ASSERT_EQ(deliveries.size(), 1u);
    EXPECT_EQ(deliveries[0].notification, AXNotification::moved);
}

TEST_F(ObserverTest, TheInformationFormDecodesTheDictionary)
{
    Observer observer(512, [this](Observer& o, const UIElement& e, AXNotification n, const auto& info) {
        deliveries.push_back({&o, e, n, info});
    });
    desktop().broadcastNotification(*window, "AXWindowMoved",
                                    AXValue::Dictionary{{"AXUIElementTitle", "Notes"}, {"AXElement", field->ref()}});
    desktop().broadcastNotification(*window, "AXWindowMoved");
    deliver();
    ASSERT_EQ(deliveries.size(), 2u);
    ASSERT_TRUE(deliveries[0].information);
    EXPECT_EQ(deliveries[0].information->at("AXUIElementTitle"), Value("Notes"));
    EXPECT_EQ(deliveries[0].information->at("AXElement"), Value(wrap(field)));
    EXPECT_EQ(deliveries[1].information, std::nullopt);
}

TEST_F(ObserverTest, FailuresAreReported)
{
    auto observer = makeObserver();
    desktop().forceResult(axcode::notificationUnsupported, "addNotification");
    EXPECT_EQ(outcome([&] { return observer->addNotification(AXNotification::moved, app()), QString(); }),
              "AXError.NotificationUnsupported");
    notes->quit();
    EXPECT_EQ(outcome([&] { return makeObserver(), QString(); }), "AXError.InvalidUIElement");
    EXPECT_EQ(outcome([&] { return observer->removeNotification(AXNotification::moved, app()), QString(); }),
              "AXError.InvalidUIElement");
}
