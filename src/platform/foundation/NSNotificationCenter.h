#pragma once
// Notifications by name, delivered synchronously on the posting thread.
// Observers are held weakly (a destroyed observer is skipped and forgotten);
// an observer registered twice is called twice, as on the device.

#include <mutex>

#include "platform/foundation/NSArray.h"
#include "platform/foundation/NSString.h"

class NSNotification : public NSObject {
 public:
  NSNotification() = default;
  NSNotification(Ref<NSString> name, StrongId object, Ref<NSDictionary> userInfo)
      : name_(std::move(name)), object_(std::move(object)), userInfo_(std::move(userInfo)) {}
  static Ref<NSNotification> notificationWithName_object_userInfo(NSString* name, id object, NSDictionary* userInfo);
  NSString* name() const { return name_.get(); }
  id object() const { return object_.get(); }
  NSDictionary* userInfo() const { return userInfo_.get(); }

 private:
  Ref<NSString> name_;
  StrongId object_;
  Ref<NSDictionary> userInfo_;
};

class NSNotificationCenter : public NSObject {
 public:
  static NSNotificationCenter* defaultCenter();

  // The observer gets `selector` ("v@:@", the notification) for posts of
  // `name` (nil: any name) from `object` (nil: any sender).
  void addObserver_selector_name_object(id observer, SEL selector, NSString* name, id object);
  void removeObserver(id observer);
  void removeObserver_name_object(id observer, NSString* name, id object);
  void postNotification(NSNotification* notification);
  void postNotificationName_object_userInfo(NSString* name, id object, NSDictionary* userInfo);
  void postNotificationName_object(NSString* name, id object) { postNotificationName_object_userInfo(name, object, nullptr); }

  struct Observation;

 private:
  std::mutex lock_;
  std::vector<std::shared_ptr<Observation>> observations_;
};
