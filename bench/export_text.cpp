// The generator's texts and number formats. The Chinese texts are written in
// UTF-8 here and converted to code page 936 once, when the pools are built.
#include "bench/export_text.h"

#include <initializer_list>
#include <string_view>

#include "platform/codepage.h"

namespace dt::bench {
namespace {

std::vector<std::string> Ansi(std::initializer_list<std::u8string_view> texts) {
  std::vector<std::string> out;
  for (std::u8string_view text : texts) out.push_back(platform::Ansi(text));
  return out;
}

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

}  // namespace

ExportTexts::ExportTexts()
    : account_names(Ansi({u8"现金",           u8"银行存款",     u8"零余额账户用款额度",
                          u8"财政应返还额度", u8"应收账款",     u8"预付账款",
                          u8"其他应收款",     u8"库存物品",     u8"固定资产",
                          u8"累计折旧",       u8"无形资产",     u8"应付职工薪酬",
                          u8"应缴财政款",     u8"其他应付款",   u8"累计盈余",
                          u8"专用基金",       u8"财政拨款收入", u8"事业收入",
                          u8"业务活动费用",   u8"单位管理费用", u8"工资福利费用",
                          u8"商品和服务费用", u8"办公费",       u8"印刷费",
                          u8"差旅费",         u8"会议费",       u8"培训费",
                          u8"公务接待费",     u8"水电费",       u8"邮电费",
                          u8"物业管理费",     u8"维修（护）费", u8"专用材料费",
                          u8"劳务费",         u8"委托业务费"})),
      budget_names(
          Ansi({u8"一般公共服务支出", u8"行政运行", u8"一般行政管理事务", u8"机关服务",
                u8"教育支出", u8"普通教育", u8"小学教育", u8"初中教育", u8"科学技术支出",
                u8"社会保障和就业支出", u8"行政事业单位养老支出", u8"卫生健康支出", u8"公立医院",
                u8"城乡社区支出", u8"农林水支出", u8"住房保障支出", u8"住房公积金", u8"其他支出"})),
      item_names(Ansi({u8"办公设备购置项目", u8"信息化建设项目", u8"专项业务经费", u8"房屋维修改造",
                       u8"培训经费", u8"课题研究经费", u8"会议经费", u8"公用经费", u8"人员经费",
                       u8"基本建设项目", u8"设备更新（一期）", u8"档案数字化"})),
      summaries(Ansi({u8"支付办公用品费", u8"报销差旅费",   u8"收到财政拨款",   u8"支付水电费",
                      u8"发放工资",       u8"计提折旧",     u8"购买办公设备",   u8"支付会议费",
                      u8"退回多余款项",   u8"结转本年盈余", u8"缴纳社会保险费", u8"支付物业管理费",
                      u8"支付印刷费",     u8"报销培训费",   u8"支付邮电费",     u8"提取备用金",
                      u8"支付维修费",     u8"收回暂付款",   u8"缴纳住房公积金", u8"支付劳务费"})),
      quoted_summaries(Ansi({u8"支付办公费,含印刷费", u8"报销差旅费,张三", u8"支付\"会议费\"",
                             u8"退回\"多余\"款项,已核对", u8"收款,\"预付\"转正"})),
      people(Ansi({u8"张三", u8"李四", u8"王五", u8"赵敏", u8"刘洋", u8"陈静", u8"杨帆", u8"黄磊",
                   u8"周婷", u8"吴刚"})),
      banks(
          Ansi({u8"中国工商银行", u8"中国农业银行", u8"中国银行", u8"中国建设银行", u8"交通银行"})),
      remarks(Ansi({u8"已审核", u8"附件齐全", u8"待补发票", u8"按月结算"})) {}

std::string Money(std::int64_t cents) {
  std::string out;
  std::uint64_t magnitude;
  if (cents < 0) {
    out += '-';
    magnitude = static_cast<std::uint64_t>(-(cents + 1)) + 1;
  } else {
    magnitude = static_cast<std::uint64_t>(cents);
  }
  out += std::to_string(magnitude / 100);
  out += '.';
  out += static_cast<char>('0' + magnitude % 100 / 10);
  out += static_cast<char>('0' + magnitude % 10);
  return out;
}

std::int64_t RandomCents(Random& random) {
  std::uint64_t low = 1;
  for (std::uint64_t digits = random.Between(0, 8); digits > 0; --digits) low *= 10;
  return static_cast<std::int64_t>(random.Between(low, low * 10 - 1));
}

int DaysInYear(int year) { return IsLeapYear(year) ? 366 : 365; }

Date DateOfDay(int year, int day_of_year) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  int month = 1;
  for (int days : kDays) {
    if (month == 2 && IsLeapYear(year)) ++days;
    if (day_of_year < days) break;
    day_of_year -= days;
    ++month;
  }
  return Date{year, month, day_of_year + 1};
}

}  // namespace dt::bench
