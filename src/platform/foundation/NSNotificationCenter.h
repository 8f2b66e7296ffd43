#pragma once
// Notifications by name, delivered synchronously on the posting thread.
// Observers are held weakly (a destroyed observer is skipped and forgotten);
// an observer registered twice is called twice, as on the device.

#include <memory>
#include <mutex>
#include <vector>

#include "platform/foundation/NSArray.h"
#include "platform/foundation/NSString.h"

// Immutable; holds its name, sender and userInfo strongly.
class NSNotification : public NSObject {
 public:
  NSNotification() = default;
  NSNotification(Ref<NSString> name, StrongId object, Ref<NSDictionary> userInfo)
      : name_(std::move(name)), object_(std::move(object)), userInfo_(std::move(userInfo)) {}
  // A nil name is a programming error.
  static Ref<NSNotification> notificationWithName_object_userInfo(NSString* name, id object, NSDictionary* userInfo);
  NSString* name() const { return name_.get(); }
  id object() const { return object_.get(); }
  NSDictionary* userInfo() const { return userInfo_.get(); }

 private:
  Ref<NSString> name_;
  StrongId object_;
  Ref<NSDictionary> userInfo_;
};

// Thread-safe. Posting takes a snapshot of the matching observers under the
// lock and calls them with the lock released, so an observer may add or
// remove observers or post again; such changes apply to later posts (an
// observer removed during a post may still get that post, unless it has been
// destroyed meanwhile). Each observer is held strongly for the length of its
// call. Cost of a post: linear in the number of registrations.
class NSNotificationCenter : public NSObject {
 public:
  // The process's centre; lives for the whole process.
  static NSNotificationCenter* defaultCenter();

  // The observer gets `selector` ("v@:@", the notification) for posts of
  // `name` (nil: any name) from `object` (nil: any sender). Neither observer
  // nor object is retained; a registration whose observer or object has been
  // destroyed is dropped. A nil observer or selector is a programming error;
  // an observer that does not answer the selector is one at the first post.
  void addObserver_selector_name_object(id observer, SEL selector, NSString* name, id object);
  // Every registration of the observer (nil: nothing happens).
  void removeObserver(id observer);
  // The observer's registrations for name (nil: any) and object (nil: any).
  void removeObserver_name_object(id observer, NSString* name, id object);
  // A nil notification is a programming error.
  void postNotification(NSNotification* notification);
  void postNotificationName_object_userInfo(NSString* name, id object, NSDictionary* userInfo);
  void postNotificationName_object(NSString* name, id object) {
    postNotificationName_object_userInfo(name, object, nullptr);
  }

  struct Observation;

 private:
  std::mutex lock_;
  std::vector<std::shared_ptr<Observation>> observations_;
};
