#pragma once
// Word pools of the demo generator: Chinese and Latin names, places and companies.
#include <span>
#include <string_view>

namespace schema::demo {

struct Syllable {  // a Chinese character or word with its pinyin
    std::string_view hanzi, pinyin;
};
struct City {
    std::string_view name, pinyin, areaCode, zip, province;
};
struct Industry {
    std::string_view name, shortName, tag, trade;  // tag: a domain fragment
};
struct Country {
    std::string_view suffix, country, callingCode, tld, city, street, zip, bank;
};

extern const std::span<const Syllable> kSurnames;
extern const std::span<const Syllable> kMaleGiven;
extern const std::span<const Syllable> kFemaleGiven;
extern const std::span<const City> kCities;
extern const std::span<const Syllable> kBrands;
extern const std::span<const Industry> kIndustries;
extern const std::span<const std::string_view> kCompanySuffixes;
extern const std::span<const std::string_view> kDistricts;
extern const std::span<const std::string_view> kStreets;
extern const std::span<const std::string_view> kHousingEstates;
extern const std::span<const std::string_view> kProvinces;

extern const std::span<const std::string_view> kLatinMale;
extern const std::span<const std::string_view> kLatinFemale;
extern const std::span<const std::string_view> kLatinSurnames;
extern const std::span<const std::string_view> kLatinBrands;
extern const std::span<const std::string_view> kLatinTrades;
extern const std::span<const Country> kCountries;

extern const std::span<const std::string_view> kMemos;
extern const std::span<const std::string_view> kFamilies;
extern const std::span<const std::string_view> kVisitSubjects;
extern const std::span<const std::string_view> kBanks;

}  // namespace schema::demo
