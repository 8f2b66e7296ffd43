#include "platform/foundation/NSNotificationCenter.h"

#include <algorithm>

struct NSNotificationCenter::Observation {
  // Addresses identify the observer and sender for removal and matching; the
  // weak references tell whether they are still the objects registered (an
  // address can be reused once its object is gone).
  const void* observerAddress;
  Weak<objc_object> observer;
  SEL selector;
  Ref<NSString> name;         // null: any name
  const void* objectAddress;  // null: any sender
  Weak<objc_object> object;
};

Ref<NSNotification> NSNotification::notificationWithName_object_userInfo(NSString* name, id object,
                                                                         NSDictionary* userInfo) {
  if (!name) objc::fatal("notificationWithName:object:userInfo: nil name");
  return make<NSNotification>(Ref<NSString>(name), StrongId(object), Ref<NSDictionary>(userInfo));
}

NSNotificationCenter* NSNotificationCenter::defaultCenter() {
  static NSNotificationCenter* center = [] {
    NSNotificationCenter* c = make<NSNotificationCenter>().leak();
    c->makeImmortal();
    return c;
  }();
  return center;
}

void NSNotificationCenter::addObserver_selector_name_object(id observer, SEL selector, NSString* name, id object) {
  if (!observer) objc::fatal("addObserver:selector:name:object: nil observer");
  if (!selector) objc::fatal("addObserver:selector:name:object: nil selector");
  auto observation = std::make_shared<Observation>(Observation{observer, Weak<objc_object>(observer), selector,
                                                               Ref<NSString>(name), object, Weak<objc_object>(object)});
  std::lock_guard guard(lock_);
  observations_.push_back(std::move(observation));
}

void NSNotificationCenter::removeObserver(id observer) { removeObserver_name_object(observer, nullptr, nullptr); }

void NSNotificationCenter::removeObserver_name_object(id observer, NSString* name, id object) {
  if (!observer) return;
  std::lock_guard guard(lock_);
  std::erase_if(observations_, [&](const std::shared_ptr<Observation>& o) {
    return o->observerAddress == observer && (!name || (o->name && o->name->isEqualToString(name))) &&
           (!object || o->objectAddress == object);
  });
}

void NSNotificationCenter::postNotification(NSNotification* notification) {
  if (!notification) objc::fatal("postNotification: nil notification");
  struct Delivery {
    StrongId observer;
    SEL selector;
  };
  std::vector<Delivery> deliveries;
  // Strong references taken under the lock are dropped only after it is
  // released: dropping the last one runs dealloc, which may remove observers.
  std::vector<StrongId> keepAlive;
  {
    std::lock_guard guard(lock_);
    std::erase_if(observations_, [&](const std::shared_ptr<Observation>& o) {
      StrongId observer = o->observer.lock();
      if (!observer) return true;  // destroyed: forgotten
      StrongId object;
      if (o->objectAddress) {
        object = o->object.lock();
        if (!object) {
          keepAlive.push_back(std::move(observer));
          return true;  // the sender it waited for is gone; nothing can match again
        }
      }
      const bool nameMatches = !o->name || o->name->isEqualToString(notification->name());
      const bool objectMatches = !o->objectAddress || object.get() == notification->object();
      if (nameMatches && objectMatches) deliveries.push_back({observer, o->selector});
      keepAlive.push_back(std::move(observer));
      if (object) keepAlive.push_back(std::move(object));
      return false;
    });
  }
  Ref<NSNotification> held(notification);
  for (const Delivery& d : deliveries) objc_msgSend<void>(d.observer.get(), d.selector, held.get());
}

void NSNotificationCenter::postNotificationName_object_userInfo(NSString* name, id object, NSDictionary* userInfo) {
  postNotification(NSNotification::notificationWithName_object_userInfo(name, object, userInfo));
}
