// Filling the title model from the host's details object, known only by the
// messages it answers.

#include <gtest/gtest.h>

#include "lookup_fixture.h"

using namespace lookup_test;

namespace {
// A details object as the host's answers it: seven messages, each answering
// whatever the test put in.
class DetailsEntity : public NSObject {
 public:
  StrongId title() const { return title_; }
  StrongId releaseYear() const { return year_; }
  StrongId runtime() const { return runtime_; }
  StrongId actors() const { return actors_; }
  StrongId writers() const { return writers_; }
  StrongId directors() const { return directors_; }
  StrongId creators() const { return creators_; }

  StrongId title_, year_, runtime_, actors_, writers_, directors_, creators_;
};
// An older host's object: a title and a cast, nothing else.
class SparseDetailsEntity : public DetailsEntity {};

void registerEntityClasses() {
  static bool done = [] {
    Class root = objc::classOf<NSObject>();
    Class full = objc::registerClass<DetailsEntity>("TestDetailsEntity", root);
    objc::addMethod<&DetailsEntity::title>(full, "title");
    objc::addMethod<&DetailsEntity::releaseYear>(full, "releaseYear");
    objc::addMethod<&DetailsEntity::runtime>(full, "runtime");
    objc::addMethod<&DetailsEntity::actors>(full, "actors");
    objc::addMethod<&DetailsEntity::writers>(full, "writers");
    objc::addMethod<&DetailsEntity::directors>(full, "directors");
    objc::addMethod<&DetailsEntity::creators>(full, "creators");
    Class sparse = objc::registerClass<SparseDetailsEntity>("TestSparseDetailsEntity", root);
    objc::addMethod<&DetailsEntity::title>(sparse, "title");
    objc::addMethod<&DetailsEntity::actors>(sparse, "actors");
    return true;
  }();
  (void)done;
}

StrongId people(std::initializer_list<StrongId> records) { return NSArray::arrayWithObjects(records); }
StrongId person(const char* name) { return NSDictionary::dictionaryWithObjectsAndKeys({{ns("name"), ns(name)}}); }

class DetailsEntityFill : public ::testing::Test {
 protected:
  void SetUp() override { registerEntityClasses(); }
};
}  // namespace

TEST_F(DetailsEntityFill, CopiesFactsAndNamesInRecordOrder) {
  Ref<DetailsEntity> entity = make<DetailsEntity>();
  entity->title_ = ns("Heat (1995)");
  entity->year_ = box(1995);
  entity->runtime_ = box(10200);
  entity->actors_ = people({person("Al Pacino"), person("Robert De Niro"), person("Al Pacino")});
  entity->writers_ = people({person("Michael Mann")});
  entity->directors_ = people({person("Michael Mann"), NSDictionary::dictionary(), ns("not a record")});
  entity->creators_ = people({});

  Ref<CXVideoDisplayPageModel> model = make<CXVideoDisplayPageModel>();
  model->setCreators(names({"Earlier"}));
  model->populatePageModelFromDetailsEntity(entity);
  EXPECT_EQ(utf8(model->title()), "Heat (1995)");
  EXPECT_EQ(utf8(model->titleNoParens()), "Heat");
  EXPECT_TRUE(objc_isEqual(model->releaseYear(), box(1995)));
  EXPECT_TRUE(objc_isEqual(model->runtime(), box(10200)));
  EXPECT_TRUE(objc_isEqual(model->actors(), names({"Al Pacino", "Robert De Niro", "Al Pacino"})))
      << "in record order, duplicates kept";
  EXPECT_TRUE(objc_isEqual(model->writers(), names({"Michael Mann"})));
  EXPECT_TRUE(objc_isEqual(model->directors(), names({"Michael Mann"})))
      << "records without a name, and objects that are no records, add nothing";
  EXPECT_TRUE(objc_isEqual(model->creators(), names({"Earlier"}))) << "an empty list leaves the model's list alone";
}

TEST_F(DetailsEntityFill, ListsItDoesNotAnswerStayButItsFactsAreAlwaysReplaced) {
  // Pins: a required message the entity does not answer must not end the process.
  Ref<CXVideoDisplayPageModel> model = film("Old title", 1990, 3600);
  model->setWriters(names({"Kept Writer"}));
  Ref<SparseDetailsEntity> entity = make<SparseDetailsEntity>();
  entity->title_ = ns("Dark");
  entity->actors_ = people({person("Louis Hofmann")});
  model->populatePageModelFromDetailsEntity(entity);
  EXPECT_EQ(utf8(model->title()), "Dark");
  EXPECT_EQ(model->releaseYear(), nullptr) << "no answer clears the year";
  EXPECT_EQ(model->runtime(), nullptr) << "no answer clears the runtime";
  EXPECT_TRUE(objc_isEqual(model->writers(), names({"Kept Writer"})));
  EXPECT_TRUE(objc_isEqual(model->actors(), names({"Louis Hofmann"})));
}

TEST_F(DetailsEntityFill, AnswersOfTheWrongTypeCountAsNoAnswer) {
  Ref<DetailsEntity> entity = make<DetailsEntity>();
  entity->title_ = box(5);
  entity->year_ = ns("1995");
  entity->runtime_ = box(6000);
  entity->actors_ = ns("Al Pacino");
  Ref<CXVideoDisplayPageModel> model = film("Heat", 1995);
  model->setActors(names({"Kept"}));
  model->populatePageModelFromDetailsEntity(entity);
  EXPECT_EQ(model->title(), nullptr);
  EXPECT_EQ(model->releaseYear(), nullptr);
  EXPECT_TRUE(objc_isEqual(model->runtime(), box(6000)));
  EXPECT_TRUE(objc_isEqual(model->actors(), names({"Kept"}))) << "a cast that is no list is no cast";
}
