#include "names.h"

namespace schema::demo {
namespace {

constexpr Syllable surnames[] = {
    {"王", "wang"}, {"李", "li"},    {"张", "zhang"}, {"刘", "liu"},   {"陈", "chen"},
    {"杨", "yang"}, {"黄", "huang"}, {"赵", "zhao"},  {"吴", "wu"},    {"周", "zhou"},
    {"徐", "xu"},   {"孙", "sun"},   {"马", "ma"},    {"朱", "zhu"},   {"胡", "hu"},
    {"郭", "guo"},  {"何", "he"},    {"高", "gao"},   {"林", "lin"},   {"罗", "luo"},
    {"郑", "zheng"}, {"梁", "liang"}, {"谢", "xie"},  {"宋", "song"},  {"唐", "tang"},
    {"韩", "han"},  {"冯", "feng"},  {"邓", "deng"},  {"曹", "cao"},   {"欧阳", "ouyang"},
};
constexpr Syllable maleGiven[] = {
    {"伟", "wei"},  {"强", "qiang"}, {"磊", "lei"},   {"军", "jun"},   {"勇", "yong"},
    {"杰", "jie"},  {"涛", "tao"},   {"明", "ming"},  {"超", "chao"},  {"刚", "gang"},
    {"平", "ping"}, {"辉", "hui"},   {"鹏", "peng"},  {"斌", "bin"},   {"浩", "hao"},
    {"宇", "yu"},   {"俊", "jun"},   {"峰", "feng"},  {"建国", "jianguo"}, {"志强", "zhiqiang"},
    {"文博", "wenbo"}, {"海洋", "haiyang"}, {"子轩", "zixuan"}, {"国华", "guohua"},
};
constexpr Syllable femaleGiven[] = {
    {"芳", "fang"}, {"娜", "na"},    {"敏", "min"},   {"静", "jing"},  {"丽", "li"},
    {"艳", "yan"},  {"娟", "juan"},  {"霞", "xia"},   {"玲", "ling"},  {"婷", "ting"},
    {"雪", "xue"},  {"慧", "hui"},   {"琳", "lin"},   {"颖", "ying"},  {"倩", "qian"},
    {"洁", "jie"},  {"秀英", "xiuying"}, {"桂兰", "guilan"}, {"雨涵", "yuhan"},
    {"晓燕", "xiaoyan"}, {"丽华", "lihua"}, {"思琪", "siqi"},
};
constexpr City cities[] = {
    {"上海", "shanghai", "021", "200", "上海"},   {"北京", "beijing", "010", "100", "北京"},
    {"广州", "guangzhou", "020", "510", "广东"},  {"深圳", "shenzhen", "0755", "518", "广东"},
    {"杭州", "hangzhou", "0571", "310", "浙江"},  {"南京", "nanjing", "025", "210", "江苏"},
    {"苏州", "suzhou", "0512", "215", "江苏"},    {"天津", "tianjin", "022", "300", "天津"},
    {"武汉", "wuhan", "027", "430", "湖北"},      {"成都", "chengdu", "028", "610", "四川"},
    {"重庆", "chongqing", "023", "400", "重庆"},  {"西安", "xian", "029", "710", "陕西"},
    {"青岛", "qingdao", "0532", "266", "山东"},   {"宁波", "ningbo", "0574", "315", "浙江"},
    {"厦门", "xiamen", "0592", "361", "福建"},    {"无锡", "wuxi", "0510", "214", "江苏"},
    {"佛山", "foshan", "0757", "528", "广东"},    {"东莞", "dongguan", "0769", "523", "广东"},
};
constexpr Syllable brands[] = {
    {"华东", "huadong"},   {"宏达", "hongda"},  {"金泰", "jintai"},    {"永盛", "yongsheng"},
    {"恒信", "hengxin"},   {"瑞丰", "ruifeng"}, {"嘉禾", "jiahe"},     {"鼎新", "dingxin"},
    {"天成", "tiancheng"}, {"明辉", "minghui"}, {"远大", "yuanda"},    {"新世纪", "xinshiji"},
    {"长城", "changcheng"}, {"华美", "huamei"}, {"海通", "haitong"},   {"鑫源", "xinyuan"},
    {"博创", "bochuang"},  {"联合", "lianhe"},  {"正泰", "zhengtai"},  {"安达", "anda"},
    {"润泽", "runze"},     {"星海", "xinghai"}, {"腾达", "tengda"},    {"东方", "dongfang"},
    {"中科", "zhongke"},   {"同创", "tongchuang"}, {"立信", "lixin"},  {"万通", "wantong"},
};
constexpr Industry industries[] = {
    {"电子材料", "电子", "em", "电子元器件"},   {"机械设备", "机械", "mach", "通用设备制造"},
    {"包装制品", "包装", "pack", "包装印刷"},   {"化工", "化工", "chem", "化学原料"},
    {"五金制品", "五金", "hw", "金属制品"},     {"塑胶", "塑胶", "plastic", "橡胶塑料"},
    {"纸业", "纸业", "paper", "造纸"},          {"物流", "物流", "logistics", "交通运输"},
    {"精密模具", "模具", "mould", "模具制造"},  {"电气", "电气", "elec", "电气机械"},
    {"钢材", "钢材", "steel", "黑色金属"},      {"纺织", "纺织", "textile", "纺织业"},
    {"光电科技", "光电", "opto", "光电子"},     {"办公用品", "办公", "office", "批发零售"},
};
constexpr std::string_view companySuffixes[] = {"有限公司", "有限公司", "股份有限公司",
                                                "实业有限公司", "厂"};
constexpr std::string_view districts[] = {"高新区", "经济开发区", "工业园区", "科技园",
                                          "新区", "保税区"};
constexpr std::string_view streets[] = {"科技路", "工业大道", "创业路", "新华路", "人民路",
                                        "长江路", "黄河路", "建设路", "振兴路", "发展大道"};
constexpr std::string_view housingEstates[] = {"阳光花园", "锦绣家园", "翠湖苑", "金色港湾",
                                               "紫荆小区", "华府名邸"};
constexpr std::string_view provinces[] = {"江苏", "浙江", "广东", "山东", "湖北", "四川",
                                          "河南", "湖南", "福建", "安徽", "上海", "北京"};

constexpr std::string_view latinMale[] = {"Thomas", "Michael", "Lukas", "Jan",   "Peter",
                                          "David",  "James",   "Marco", "Pierre", "Hans",
                                          "Erik",   "Daniel",  "Oliver", "Stefan"};
constexpr std::string_view latinFemale[] = {"Anna",  "Maria", "Laura", "Sophie", "Julia",
                                            "Emma",  "Sarah", "Claire", "Elena", "Katrin",
                                            "Lisa",  "Nina",  "Ingrid", "Chloé"};
constexpr std::string_view latinSurnames[] = {
    "Schmidt", "Müller", "Weber",   "Fischer", "Becker",  "Smith",   "Johnson", "Brown",
    "Taylor",  "Martin", "Dubois",  "Rossi",   "Bianchi", "Novak",   "Jensen",  "Larsen",
    "Meyer",   "Wagner", "Schulz",  "Hoffmann", "O'Brien", "García", "Lefèvre", "Kowalski",
};
constexpr std::string_view latinBrands[] = {
    "Nordwind", "Pacific", "Alpine",   "Atlas",  "Baltic", "Crescent", "Delta",
    "Everest",  "Falcon",  "Granite",  "Harbor", "Meridian", "Orion",  "Phoenix",
    "Summit",   "Vertex",  "Zenith",   "Aurora", "Cobalt", "Helix",
};
constexpr std::string_view latinTrades[] = {
    "Industrial Supplies", "Precision Parts", "Components", "Packaging",  "Electronics",
    "Chemicals",           "Logistics",       "Machinery",  "Materials",  "Metalworks",
};
constexpr Country countries[] = {
    {"GmbH", "Germany", "+49", "de", "Stuttgart", "Industriestraße", "70565", "Deutsche Bank"},
    {"AG", "Switzerland", "+41", "ch", "Basel", "Hafenstrasse", "4057", "UBS"},
    {"Ltd.", "United Kingdom", "+44", "co.uk", "Birmingham", "Canal Street", "B1 2JP", "Barclays"},
    {"Inc.", "United States", "+1", "com", "Chicago", "Lake Shore Drive", "60611", "Chase"},
    {"S.A.", "France", "+33", "fr", "Lyon", "Rue de la République", "69002", "BNP Paribas"},
    {"B.V.", "Netherlands", "+31", "nl", "Rotterdam", "Havenweg", "3089", "ING"},
    {"Co., Ltd.", "Hong Kong", "+852", "com.hk", "Kowloon", "Nathan Road", "999077", "HSBC"},
};

constexpr std::string_view memos[] = {
    "负责华东区供货", "周五下午不在办公室", "喜欢电话沟通", "邮件请抄送其上级",
    "英文邮件优先", "年底前需确认新价格", "对账联系人", "质量问题请直接联系",
    "Prefers e-mail over phone", "Responsible for the Asia-Pacific region",
};
constexpr std::string_view families[] = {"配偶、一子", "配偶、一女", "父母、配偶",
                                         "配偶、一子一女", "单身"};
constexpr std::string_view visitSubjects[] = {"季度供货沟通", "价格谈判", "质量问题回访",
                                              "新品介绍", "年度合同续签", "交期确认"};
constexpr std::string_view banks[] = {"中国工商银行", "中国建设银行", "中国银行",
                                      "招商银行", "交通银行", "上海浦东发展银行"};

}  // namespace

const std::span<const Syllable> kSurnames = surnames;
const std::span<const Syllable> kMaleGiven = maleGiven;
const std::span<const Syllable> kFemaleGiven = femaleGiven;
const std::span<const City> kCities = cities;
const std::span<const Syllable> kBrands = brands;
const std::span<const Industry> kIndustries = industries;
const std::span<const std::string_view> kCompanySuffixes = companySuffixes;
const std::span<const std::string_view> kDistricts = districts;
const std::span<const std::string_view> kStreets = streets;
const std::span<const std::string_view> kHousingEstates = housingEstates;
const std::span<const std::string_view> kProvinces = provinces;
const std::span<const std::string_view> kLatinMale = latinMale;
const std::span<const std::string_view> kLatinFemale = latinFemale;
const std::span<const std::string_view> kLatinSurnames = latinSurnames;
const std::span<const std::string_view> kLatinBrands = latinBrands;
const std::span<const std::string_view> kLatinTrades = latinTrades;
const std::span<const Country> kCountries = countries;
const std::span<const std::string_view> kMemos = memos;
const std::span<const std::string_view> kFamilies = families;
const std::span<const std::string_view> kVisitSubjects = visitSubjects;
const std::span<const std::string_view> kBanks = banks;

}  // namespace schema::demo
