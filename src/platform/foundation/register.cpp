// Foundation's classes, registered in one ordered place.

#include "platform/foundation/register.h"

#include "platform/foundation/NSArray.h"
#include "platform/foundation/NSCharacterSet.h"
#include "platform/foundation/NSData.h"
#include "platform/foundation/NSError.h"
#include "platform/foundation/NSString.h"
#include "platform/foundation/NSValue.h"

void registerFoundationClasses() {
  registerNSObjectClass();
  Class root = objc::classOf<NSObject>();
  registerNSStringClass();
  objc::registerClass<NSData>("NSData", root);
  Class value = objc::registerClass<NSValue>("NSValue", root);
  objc::registerClass<NSNumber>("NSNumber", value);
  objc::registerClass<NSNull>("NSNull", root);
  objc::registerClass<NSError>("NSError", root);
  Class array = objc::registerClass<NSArray>("NSArray", root);
  objc::registerClass<NSMutableArray>("NSMutableArray", array);
  Class dictionary = objc::registerClass<NSDictionary>("NSDictionary", root);
  objc::registerClass<NSMutableDictionary>("NSMutableDictionary", dictionary);
  objc::addMethod<&NSDictionary::objectForKey>(dictionary, "objectForKey:");
  objc::addMethod<&NSArray::count>(array, "count");
  objc::addMethod<&NSArray::objectAtIndex>(array, "objectAtIndex:");
}
