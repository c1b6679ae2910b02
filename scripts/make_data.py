#!/usr/bin/env python3
"""Writes the starter data set of data/ (trees, word lists, sharing words,
caption rows). Run it after changing the tables below; the files it writes
are committed."""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'data')


def write(path, lines):
    full = os.path.join(ROOT, path)
    os.makedirs(os.path.dirname(full), exist_ok=True)
    with open(full, 'wb') as f:
        f.write(''.join(line + '\r\n' for line in lines).encode('utf-8'))


def ini_value(v):
    return '"' + v + '"' if v != v.strip() or (len(v) > 1 and v[0] == v[-1] and v[0] in '"\'') else v


def bunch(path, words):
    assert len(words) <= 49, path
    lines = ['[Data]']
    for r in range(1, 50):
        lines.append('0,%d=%s' % (r, '[y]' if r <= len(words) else ''))
    for r in range(1, 50):
        lines.append('1,%d=%s' % (r, words[r - 1] if r <= len(words) else ''))
    write(path, lines)


def tree(path, nodes):
    lines = []
    for root, children in nodes:
        lines.append(root)
        for child in children:
            if isinstance(child, tuple):
                lines.append('\t' + child[0])
                lines.extend('\t\t' + g for g in child[1])
            else:
                lines.append('\t' + child)
    write(path, lines)


# ------------------------------------------------------------------ captions
# The caption tables: one section per control (Caption and Hint), the
# document editor's operation names, the messages and the lecture texts.
import caption_rows  # noqa: E402

for i, lang in enumerate(('JPN', 'USA', 'CHN')):
    # Section name -> its lines, in the order the sections first come: a
    # section that both a control row and a table fill is written once.
    sections = {}
    for section, captions, hints in caption_rows.ROWS:
        body = sections.setdefault(section, [])
        if captions is not None:
            body.append('Caption=' + ini_value(captions[i]))
        if hints is not None:
            body.append('Hint=' + ini_value(hints[i]))
    body = sections.setdefault('TreeViewMoji', [])
    for row in caption_rows.OPERATIONS:
        body.append(row[0] + '=' + ini_value(row[1 + i]))
    for lecture, steps in caption_rows.LECTURES.items():
        body = sections.setdefault(lecture, [])
        for n, step in enumerate(steps):
            body.append('LecW%d=' % n + ini_value(step[i]))
    lines = []
    for section, body in sections.items():
        lines += ['[' + section + ']'] + body + ['']
    lines.append('[Message]')
    for row in caption_rows.MESSAGES:
        lines.append(row[0] + '=' + ini_value(row[1 + i]))
    write(lang + '/Hlp.INI', lines)

# ------------------------------------------------------------------ settings
# Program-wide: the language, and the base search site (the product site's
# search page, as the settings window's first connect site gives it).
write('0Base.INI', ['[Begin]', 'Language=USA', '', '[Base]', 'URL=http://vantrel.example/',
                    'FormName=cse-search-box', 'InputName=q'])
# Free search sites: name, search page, form id, text field name. The
# MediaWiki sites keep their header search form as id "searchform" with the
# field "search"; the other engine's form is "sb_form" with the field "q".
FREE_SITES = {
    'JPN': [('ウィキペディア', 'https://ja.wikipedia.org/', 'searchform', 'search'),
            ('ウィクショナリー', 'https://ja.wiktionary.org/', 'searchform', 'search'),
            ('Bing', 'https://www.bing.com/', 'sb_form', 'q')],
    'USA': [('Wikipedia', 'https://en.wikipedia.org/', 'searchform', 'search'),
            ('Wiktionary', 'https://en.wiktionary.org/', 'searchform', 'search'),
            ('Bing', 'https://www.bing.com/', 'sb_form', 'q')],
    'CHN': [('维基百科', 'https://zh.wikipedia.org/', 'searchform', 'search'),
            ('Bing', 'https://www.bing.com/', 'sb_form', 'q')],
}
BASE = {
    'JPN': ['[TVF]', 'Category=趣味', '', '[List]', 'Bunch=都道府県', '', '[Chang]', 'Category=数字'],
    'USA': ['[TVF]', 'Category=Hobby', '', '[List]', 'Bunch=Area', '', '[Chang]', 'Category=Count'],
    'CHN': ['[TVF]', 'Category=X', '', '[List]', 'Bunch=5W4H'],
}
for lang, lines in BASE.items():
    sites = FREE_SITES[lang]
    lines = lines + ['', '[FreeSerchSite]', 'Category=' + sites[0][0]]
    for name, url, form, field in sites:
        lines += ['', '[' + name + ']', 'URL=' + url, 'FormName=' + form, 'InputName=' + field]
    write(lang + '/Base.INI', lines)
    write(lang + '/FreeSerchSite.txt', [site[0] for site in sites])

# ------------------------------------------------------------------ operation tables
# One sample operation site per language: move into the page, click the
# search field, paste the search text, press Return.
for lang in ('JPN', 'USA', 'CHN'):
    write(lang + '/ManipSite.txt', ['Sample'])
    rows = [('BrowsXY', '120', '40', '0'), ('ClickSngle', '0', '0', '0'), ('Past', '0', '0', '0'),
            ('Return', '0', '0', '0'), ('End', '0', '0', '0')]
    lines = ['[Info]', 'Site=Sample', '', '[Sample]', 'URL=http://vantrel.example/' + lang + '/']
    for c in range(1, 5):
        for r in range(1, 16):
            lines.append('%d,%d=%s' % (c, r, rows[r - 1][c - 1] if r <= len(rows) else ('End' if c == 1 else '0')))
    write(lang + '/Manip.INI', lines)

# ------------------------------------------------------------------ replacement tables
def table(path, header, rows):
    cols = len(header) + 1
    lines = ['[Info]', 'ColMax=%d' % cols, 'RowMax=%d' % (len(rows) + 1), '', '[Data]']
    for c, name in enumerate(header, 1):
        lines.append('%d,0=%s' % (c, name))
    for r, row in enumerate(rows, 1):
        lines.append('0,%d=[y]' % r)
        for c, word in enumerate(row, 1):
            lines.append('%d,%d=%s' % (c, r, word))
    write(path, lines)


numbers = [str(n) for n in range(1, 11)]
table('JPN/Cng数字.INI', ['算用数字', '漢数字', '全角数字'],
      list(zip(numbers, ['一', '二', '三', '四', '五', '六', '七', '八', '九', '十'],
               ['１', '２', '３', '４', '５', '６', '７', '８', '９', '１０'])))
table('JPN/Cng言語.INI', ['日本語', '英語', '中国語'],
      [('こんにちは', 'hello', '你好'), ('ありがとう', 'thank you', '谢谢'), ('さようなら', 'goodbye', '再见'),
       ('はい', 'yes', '是'), ('いいえ', 'no', '不')])
table('USA/CngCount.INI', ['Digits', 'Words', 'Ordinal'],
      list(zip(numbers, ['one', 'two', 'three', 'four', 'five', 'six', 'seven', 'eight', 'nine', 'ten'],
               ['first', 'second', 'third', 'fourth', 'fifth', 'sixth', 'seventh', 'eighth', 'ninth', 'tenth'])))
table('USA/CngLinguistics.INI', ['English', 'Japanese', 'French'],
      [('hello', 'こんにちは', 'bonjour'), ('thank you', 'ありがとう', 'merci'), ('goodbye', 'さようなら', 'au revoir'),
       ('yes', 'はい', 'oui'), ('no', 'いいえ', 'non')])
write('JPN/Chang.txt', ['言語', '数字'])
write('USA/Chang.txt', ['Count', 'Linguistics'])

# ------------------------------------------------------------------ trees
write('JPN/TVFCategory.txt', ['X', '趣味', '経済'])
write('USA/TVFCategory.txt', ['X', 'Hobby', 'Economic'])
write('CHN/TVFCategory.txt', ['X'])
for lang, sample in (('JPN', 'サンプル'), ('USA', 'Sample'), ('CHN', '示例')):
    tree(lang + '/TVFThemaX.tvf', [(sample, ['Vantrel=http://vantrel.example/' + lang + '/'])])

tree('JPN/TVFThema趣味.tvf', [
    ('旅行', [('国内', ['北海道', '沖縄', '京都', '温泉']), ('海外', ['ハワイ', 'パリ', 'ソウル'])]),
    ('音楽', ['ジャズ', 'クラシック', 'ロック', 'ピアノ']),
    ('映画', ['洋画', '邦画', 'アニメ', 'ドキュメンタリー']),
    ('料理', ['レシピ', '和食', 'パン', 'お弁当']),
    ('スポーツ', ['サッカー', '野球', 'テニス', 'ゴルフ', 'マラソン']),
    ('読書', ['小説', '漫画', '絵本']),
    ('園芸', ['バラ', '家庭菜園', '多肉植物']),
])
tree('JPN/TVFThema経済.tvf', [
    ('株式', ['日経平均', '配当', '新規上場', '決算']),
    ('為替', ['ドル円', 'ユーロ円', '円高', '円安']),
    ('金利', ['住宅ローン', '国債', '定期預金']),
    ('不動産', ['マンション', '地価', '賃貸']),
    ('景気', ['国内総生産', '雇用統計', '物価', '日銀短観']),
    ('税金', ['消費税', '確定申告', 'ふるさと納税']),
])
tree('USA/TVFThemaHobby.tvf', [
    ('Travel', [('Domestic', ['Yellowstone', 'Grand Canyon', 'New Orleans']), ('Abroad', ['Paris', 'Kyoto', 'Iceland'])]),
    ('Music', ['Jazz', 'Classical', 'Rock', 'Piano']),
    ('Movies', ['Drama', 'Documentary', 'Animation', 'Comedy']),
    ('Cooking', ['Recipe', 'Baking', 'Barbecue', 'Vegetarian']),
    ('Sports', ['Baseball', 'Basketball', 'Football', 'Golf', 'Marathon']),
    ('Reading', ['Novels', 'Comics', 'Poetry']),
    ('Gardening', ['Roses', 'Vegetable garden', 'Succulents']),
])
tree('USA/TVFThemaEconomic.tvf', [
    ('Stocks', ['S&P 500', 'Dividends', 'IPO', 'Earnings']),
    ('Currency', ['Dollar', 'Euro', 'Yen', 'Exchange rate']),
    ('Interest rates', ['Mortgage', 'Treasury bonds', 'Savings account']),
    ('Real estate', ['Home prices', 'Rent', 'Condominium']),
    ('Economy', ['GDP', 'Employment report', 'Inflation', 'Consumer confidence']),
    ('Taxes', ['Income tax', 'Sales tax', 'Tax return']),
])

# ------------------------------------------------------------------ sharing words
write('JPN/SharingTheme.txt', ['無料', 'フリー', '新着', '最新'])
write('USA/SharingTheme.txt', ['free', 'new', 'latest', 'review'])
write('CHN/SharingTheme.txt', ['免费', '最新', '新品', '评测'])

# ------------------------------------------------------------------ word lists
write('JPN/SeleBunch.txt', ['5W4H', '都道府県', '月', '星座'])
write('USA/SeleBunch.txt', ['5W4H', 'Area', 'Month', 'Constellation'])
write('CHN/SeleBunch.txt', ['5W4H'])

bunch('JPN/ListBunch5w4h.INI', ['誰が', '何を', 'いつ', 'どこで', 'なぜ', 'どのように', 'いくら', 'いくつ', 'どのくらい'])
bunch('USA/ListBunch5w4h.INI', ['who', 'what', 'when', 'where', 'why', 'how', 'how much', 'how many', 'how long'])
bunch('CHN/ListBunch5w4h.INI', ['谁', '什么', '何时', '哪里', '为什么', '怎样', '多少钱', '多少', '多久'])

bunch('JPN/ListBunch都道府県.INI', [
    '北海道', '青森県', '岩手県', '宮城県', '秋田県', '山形県', '福島県', '茨城県', '栃木県', '群馬県',
    '埼玉県', '千葉県', '東京都', '神奈川県', '新潟県', '富山県', '石川県', '福井県', '山梨県', '長野県',
    '岐阜県', '静岡県', '愛知県', '三重県', '滋賀県', '京都府', '大阪府', '兵庫県', '奈良県', '和歌山県',
    '鳥取県', '島根県', '岡山県', '広島県', '山口県', '徳島県', '香川県', '愛媛県', '高知県', '福岡県',
    '佐賀県', '長崎県', '熊本県', '大分県', '宮崎県', '鹿児島県', '沖縄県'])
bunch('JPN/ListBunch月.INI', ['%d月' % m for m in range(1, 13)])
bunch('JPN/ListBunch星座.INI', [
    'おひつじ座', 'おうし座', 'ふたご座', 'かに座', 'しし座', 'おとめ座', 'てんびん座', 'さそり座',
    'いて座', 'やぎ座', 'みずがめ座', 'うお座', 'オリオン座', 'おおぐま座', 'こぐま座', 'カシオペヤ座',
    'はくちょう座', 'こと座', 'わし座', 'アンドロメダ座', 'ペルセウス座', 'ペガスス座', 'おおいぬ座',
    'こいぬ座', 'みなみじゅうじ座', 'りゅう座', 'ヘルクレス座', 'うしかい座', 'ぎょしゃ座', 'ケフェウス座'])
bunch('USA/ListBunchMonth.INI', ['January', 'February', 'March', 'April', 'May', 'June', 'July', 'August',
                                 'September', 'October', 'November', 'December'])
bunch('USA/ListBunchConstellation.INI', [
    'Aries', 'Taurus', 'Gemini', 'Cancer', 'Leo', 'Virgo', 'Libra', 'Scorpius', 'Sagittarius', 'Capricornus',
    'Aquarius', 'Pisces', 'Orion', 'Ursa Major', 'Ursa Minor', 'Cassiopeia', 'Cygnus', 'Lyra', 'Aquila',
    'Andromeda', 'Perseus', 'Pegasus', 'Canis Major', 'Canis Minor', 'Crux', 'Draco', 'Hercules', 'Bootes',
    'Auriga', 'Cepheus'])
bunch('USA/ListBunchArea.INI', [
    'New York', 'Los Angeles', 'Chicago', 'Houston', 'Phoenix', 'Philadelphia', 'San Antonio', 'San Diego',
    'Dallas', 'San Jose', 'Austin', 'Jacksonville', 'Fort Worth', 'Columbus', 'Charlotte', 'Indianapolis',
    'San Francisco', 'Seattle', 'Denver', 'Washington', 'Nashville', 'Oklahoma City', 'El Paso', 'Boston',
    'Portland', 'Las Vegas', 'Detroit', 'Memphis', 'Louisville', 'Baltimore', 'Milwaukee', 'Albuquerque',
    'Tucson', 'Fresno', 'Sacramento', 'Kansas City', 'Atlanta', 'Omaha', 'Raleigh', 'Miami', 'Minneapolis',
    'Tulsa', 'Cleveland', 'New Orleans', 'Honolulu', 'Anchorage', 'Salt Lake City', 'Pittsburgh', 'St. Louis'])
