#include "runtime/check_io.hpp"

#include <gtest/gtest.h>

#include <string>

#include "runtime/text_stream.hpp"

namespace runtime {
namespace {

TEST(CheckIOTest, RaisesForAPendingCodeAndTakesIt) {
  TakePendingIOError();
  EXPECT_NO_THROW(CheckIO());
  SetPendingIOError(5);
  try {
    CheckIO();
    FAIL() << "CheckIO did not raise";
  } catch (const Failure& failure) {
    EXPECT_STREQ(failure.Object().ClassName(), "EInOutError");
    EXPECT_EQ(dynamic_cast<EInOutError&>(failure.Object()).IOCode, 5);
    EXPECT_NE(failure.Location(), nullptr);
  }
  EXPECT_EQ(PeekPendingIOError(), 0);
  EXPECT_NO_THROW(CheckIO());
}

TEST(CheckIOTest, MessagesComeFromTheTableOrTheGenericText) {
  const struct {
    int32_t code;
    std::string message;
  } cases[] = {
      {2, "Fichier introuvable"},
      {3, "Nom de fichier incorrect"},
      {4, "Trop de fichiers ouverts"},
      {5, "Acc\xE8s au fichier refus\xE9"},
      {100, "Lecture au-del\xE0 de la fin de fichier"},
      {101, "Disque plein"},
      {106, "Saisie num\xE9rique incorrecte"},
      {103, "Erreur E/S 103"},
      {112, "Erreur E/S 112"},
      {1, "Erreur E/S 1"},
      {-7, "Erreur E/S -7"},
      {2147483647, "Erreur E/S 2147483647"},
  };
  for (const auto& c : cases) {
    SetPendingIOError(c.code);
    EInOutError* failure = MakeIOFailure();
    EXPECT_EQ(failure->MessageText, c.message) << c.code;
    EXPECT_EQ(failure->IOCode, c.code);
    EXPECT_EQ(PeekPendingIOError(), 0);
    delete failure;
  }
}

TEST(ProtectTest, ACleanupFailureReplacesTheOneInFlight) {
  SetPendingIOError(5);
  try {
    Protect([] { CheckIO(); },
            [] {
              SetPendingIOError(112);
              CheckIO();
            });
    FAIL() << "nothing raised";
  } catch (const Failure& failure) {
    EXPECT_EQ(dynamic_cast<EInOutError&>(failure.Object()).IOCode, 112);
  }
}

TEST(ProtectTest, TheCleanupRunsOnceOnEveryWayOut) {
  int cleanups = 0;
  Protect([] {}, [&] { ++cleanups; });
  EXPECT_EQ(cleanups, 1);
  SetPendingIOError(2);
  EXPECT_THROW(Protect([] { CheckIO(); }, [&] { ++cleanups; }), Failure);
  EXPECT_EQ(cleanups, 2);
}

}  // namespace
}  // namespace runtime
