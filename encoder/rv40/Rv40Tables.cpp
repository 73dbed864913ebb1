// The fixed tables of the format (VLC code lengths, intra mode codes, quantizers, filter strengths) as
// the format's decoders use them, in this encoder's own layout. They must not change.
#include "encoder/rv40/Rv40Tables.h"

namespace encoder::rv40::data {

const char* const kIntraCbpPattern[5][2] = {
    {
        "ikkkkklkklkkkkkgmmnmnmnlnnnmnmmionqnpnqmqqqoqnokmnmmnnnmnnmmnmminoomooomopomonniqqqmqqqnqqqnqoojoqn"
        "nqqqopqonppokqqonqqqnqqqnqpokqqqlqqqmqqqmqqpjmnnnmmommonmmmmiooqonmomoponnmniqqqpqnqnqqqpqnpkoqoooo"
        "pnoqonnnnjqqqoqoqmqqononniqqqoqoqnqqqoqoojqqqqqqqqqqqoqqokqqqoqqqnqqqoqpojqqqnqqqmqqqnqppioqqqooqoq"
        "qqpnnokqqqqpnqnqqqqqnokqqqqqlqmqqqqqmqjqqqqqqqpqqqqqookqqqqqpqnqqqpqnojqqqqqnqmqqqqqnoiqqqqqqqqqqqq"
        "qqplqqqqqqqoqqqqqqojqqqoqpqlqqqoqooimnnnnnommnmmmmmiooqopoqnopononnjqqqpqqqoqqqoqoqkopoopopnoonmnnn"
        "jpqpoqqqnpqomonniqqqoqqqnqqqnqoojqqqqqqqpqqnnqqokqqqoqqqoqqpnqoojqqqmqqqnqqqmqqpinoooooqnnoonmmmiqq"
        "qopoqnpqonnmniqqqqqoqoqqqoqnojpqqpqpqnoqonnnmiqqqoqopmppomnmmhqqqoqoqmqqqnqnnhqqqqqqqoqqooqonjqqqoq"
        "qqnqqomqnmhqqqmqqqlqqpmqnngqqqqqqqpqqqpnnokqqqqqoqoqqqqonojqqqqqnqnqqqqqmoiqqqqqqqoqqqoonnjqqqqqoqn"
        "qqqnommhqqqqqnqmqqqnomngqqqqqqqqqqqqqpojqqqqqqqnqqqnpnmhqqqnqoqlqqqmqmmfoqpqqqqpopoononkqqqqqqqqqqq"
        "oqoqkqqqqqqqqqqqqqqqlqqqqqqqqoqooponkqqqqqqqpqqonqoojqqqqqqqqqqqoqqpjqqqqqqqqqqmnqqnkqqqqqqqqqqnnqq"
        "njqqqoqqqoqqpmqqoiqqqqqqqqoqponnnjqqqqqqqoqqqoonnjqqqqqqqqqqqqqopjqqqqqqqppqooonnjqqqqqqqnqqomnmmhq"
        "qqqqqqnqqqnqnnhqqqqqqqqqqnnqonjqqqpqqqnqqnmonmgqqqnqqqmqqokpmmfqqqqqqqqqqqqmnnjqqqqqqqoqqqpnmniqqqq"
        "qoqoqqqqpmoiqqqqqqqqqqqonnniqqqqqqqnqqpnmlmgqqqpqoqmqqqmnkmfqqqqqqqqqqoonomiqqqqqqqnqqnmnmkfqqqnqnq"
        "kqqnknkkb",
        "chhihijihjiiiijhgjkkkklkklllklljjlmmmnonnoonnnolgkjkklllklklllljgjkkklmlkmlllllijlmmmnnnmoonnnnkjnl"
        "nnoonnonnooomjmmmmoonnonnnonlimmlmoomnoonnnolgkkljkmlkmllklljhkklklmllmllllljjmnnmmonnoononolillmlm"
        "mmlnmmmmmkhkklklmlkmlllllijlmmmmnmmnnmnmnkknnooopoopopooomjmmnmnonmnnmnnnkjmmmmnommonmnnnkjmnnlnonn"
        "ooomnnlkmnnmmonnooonnolknoonmpnoooopnollooonopoopponoomknmnmmonnonnnnnkkmnnnmomnoonnnnknpqqppqqpqpq"
        "qqqolooooopooppoooplknnnnnomnoonnnnkgkklklmlkmklklljillmlmnmlmmmmmmklnoonoponppooopmhlkmlmmmlmlmlmm"
        "khkklklmllmllllljkmnnmnonnonnnnnkknmonooonomopoolkmmmmnonnonmnnnkjmnnnoonnoonnnnkhkklklmlkmmljlljhk"
        "llklmlkmmlllljkmnnnnpnnonnnnnkilllllmllmmllmljgjjkjkkkjlkkjkkhikllllmllmmlllliknnnnoonnonnnnnlillll"
        "mmllmllllliillllmmklmmlllliknnnmnonmoooknnlkmmnmnommnnnmmnklnoonnonnponnnnkkmnnmnonnoonmnnlilllllml"
        "lmmllllijlmmllmlmmmlmllimpoooppooppooopmkmmmmmnmmnnmmmmjjlllllmklmmllllhknnnnoponooomopmlooooppoopp"
        "poppmnqqqpqqqpqqqqqqoknnonpoonpnoooomknnnnnonnonnnnolmooooppooppopoomloopoppoopmopqpmlnnonooooonnoo"
        "ollooooppooqonooolknnnmooompoolnnmkmnomnonnoonmnnlmoopopqpppppoopmknnnmnonnonnmnnljllmlmmllmmlllljk"
        "mmmmmnmmnnmnmmjlnnpoopoopooooolkmmmmmnmmnllmmmijmmlmmnlmmmlmlliknnomoponppoknnllnonnoonnooolnnlmooo"
        "oopopqponnollononoponpoolnnljmmmlmnlmnmlkllikmmmmmnlmmmllllimpopopqppppoooomkmmmmmnlmnmlllliikkkkkl"
        "jklkjkjjf",
    },
    {
        "mmljlkljllkjjijfonololnkonmkmklgqnqmqmqlqoqmpmnioomlomnknnlkmlkgqpolqnokponknllhqqqlqoqlqqpmpnniqqn"
        "mqqpmqqmlpnmiqqolqqqlqqolponiqqpkqqqkqqplqooiooomnlnknnmllkkgqpqnnlolponlmklhqpqoqlqlqqqnqmniqqonpn"
        "olopnlnllhqqpnpnolqpolnllhqqqnqnqlqqqmqmniqqqoqqqnqqonponjqqqnqqqmqqompnniqqqmqqqlqqpmqnnhqqqqnmqmq"
        "qonmlmiqqqpolqlqqqnolniqqqqpkqlqqqoplniqqqqqoqnqqooomnjqqqpqnqmqqqnomniqqqoqmqlqqqnpmnhqqqqqqqoqqqp"
        "qonjqqqqqqqmqqqoqnniqqqoqoqkqqqnqnnhoonmnmnlmnlklkkgqqpnqnploonlnllhqqqoqoqmqqqnqnojqqnnpoolnollmll"
        "hqqpmqoploomlnllhqqqnqoqmqqomqnniqqooqqqnqqmlpnmiqqpnqqqmqqnlqnmiqqqlqqqlqqolqonhqqpnonoloomllklhqq"
        "qnomplponlmllhqqqoqnqmqqqnomniqqpnpoomoomlmllhqqompnolponlmllgqqqnqnqlqpololmgqqqoqqqnqqnmonmiqqpnq"
        "oplqqnlomlgqqqmqoplqqnkommgqqqqqoqnqqonmlmiqqqqqnqmqqpnnlmiqqqpqmqmqqqoolnhqqqqqpqnqqonnmmiqqqopnpl"
        "qpomnllgqqqoqmplqqpmolmgqqqqqqqnqqpnonmiqqqoqoqmqqomnmlgqqqnqnpkqqolollfqqpoqqqnoommmmmiqqqpqqqoqqo"
        "nonnjqqqqqqqoqqqoqnpjqqopqqqooqmmnnmiqqqoqqqnqpnmommiqqqqqqqnqqomqnniqqqpqqqoqqllpomiqqqoqqqnqqmlpn"
        "miqqqnqqqmqqnkqnmhqqqqqpqnoqnnmmmiqqqpqoqnqqonnmmiqqqqqpqnqqqnpmoiqqqpqqqnoqnmmmliqqqoqoqmoonlnllgq"
        "qqoqoqmqpololmgqqqpqqqoqqmmonliqqpoqqqmqpmlnmlgqqqnqoqlqonkollfqqqqqqqooqpnllliqqqqqpqnqqqnmlmhqqqq"
        "qnqmqqqnnlnhqqqqqqqnqqonmmlhqqqpqopmqonmmllgqqqoqnplqoolnklfqqqqqqqnqqnmmmlhqqqoqopmqpmlmlkfqqqnqno"
        "kqomjmkjd",
        "cgghghihhihihiiffijjjjmkklkkkllijknmnmpnnononnolfkjkkkmkkmklllligjkjklmkkmllkllijlmlmnomnoomnnnlknl"
        "moopnnpmnooomjmmmnnpnnonnonplilmkmnomnoonnnolfjkkjkmlkmlljlljgkklkkmllmllllljjlnnmlomnpnnonolillmlm"
        "nmmnmnmmmkhkklklmllmllllmjjmmmmmomnonnnnnllonppqqppqppqqpnkmnnnopnnonnoooljmmmnnomnoonnnoljnnnlmpnn"
        "poolnolknnnmmpnnpoonnolkmnnmlomnpnnnnolloppnoqooqqooppnknnnmnonnooonnolkmnnnmonnoonnnnlnpqqqqqqqqqq"
        "qqqpmpppopqopqqpqppnkmmmnnomnonnnnnlgkklklmlkmllklljilmmmmnmmnmnmnnklnpopoqopqqopppnhlkmllnllnklmmm"
        "khlllllnllnlmmmmjkmnnnnpnopooooplknmooopnnpmnppomknmmnnponpnnooolknnmnopnnpnnooolhkllklmlkmmmjlmjhl"
        "llllnllnmmlmmjkmonnnqnoqoonnolillmlmnmmnmmmmmkgjjkjklkklkkkkkiilllmlnlmnmmmmmklonoooqooqooppomjmlmm"
        "mnmmnmmmmmkilllllnlmmmmmmmjknonlnoonppoknolknnnmnonnooonnnlknonnmpnopooonomlooonnpoopopnoomjlmmllnm"
        "mnmmmmmkjlmmmlnlmnmmmmmknppqpqqpqqqpppqoknnnnnonnonnnnnlilllllmllmmlmlmjloopopponpopmopnmpppppqppqq"
        "qpqpnoqqqqqqqqqqqqqqplonpooqooqnopopmlonoooqpoqoopppmnppppqqpqqqpqqqnlonooopooqmoqqomloooopqpoqnoqp"
        "ommoooooqopqoooppmlooonoqpnqpploomloopooqoopoonppmnpqpppqpqqqqppqnlooooopooqooopomjmmmmmnmmnmnmmmkl"
        "nnnnnonnononnolmpopppqpoqooqqonkmmmmmomnnmmnnnkkmmmmmommnmmmmmkkooomoqonqqqknomlooonoqooqpomnommooo"
        "ooqooqppoopmmoppopqoppppnpomjmmmmnnmmnnmlmmkkmmmmmnmmnmmmmmknppppqqqqqqqpqpnkmmnmnnmnonnmnnkhkkkkkl"
        "kklkkkkkh",
    },
    {
        "kkjijijhjjihihhenlmjmjmjmlljkjjgpmplokokonnlnlmhnmljmlmjmmkjkkjgonmknmnjnmlkmlkgqookpnokppolommipom"
        "lponloolknmlipqnlqoolppmkonmiqpokqookqpokonmhnmmlljmjmmlkkjjgnnommkmkonmllkkhqoqnolpkqpomolmioonmnm"
        "nknnmllkkhpoomomnkonmlmllhqpqnpnpkqpomommhpqonqoomppmmnmmiqqonqoolppolommiqqpmqopkqqnmonmhooonnlnlo"
        "onmlkliqpqnnlolpoonmlmippqookokqppnokmiqqqopnomppnnnmmiqqqopnolqqonnmmiqqqoqmplqppnommiqqqqqppnqqon"
        "onmjqqqoqpplqqonpnmiqqqoqookqqpnommhmmmlmlmkllkjjjjgonomnmnknnmkmklhqoqnpnqmpoomomnioonlomnlmmkklkk"
        "hoonmomnlnnmkmlkhqppmqoplqonlommiqqnnqpomoollnmliqqomqoompomlommiqpolqpplqpnlonmionnmnlnkmnlkkkkhpo"
        "onnmnlonmlmklhqpqopmplqoomolmiopnmonnlnnlllkkhooomonnkonmkmkkgqppnqnplponlnllhqqonqpomppmlnmliqqonq"
        "oolpomlnmlhqqpmqoolppnlomlgqppoomomnonmllliqqqoompmpoommlmiqqqpompmqponnlmiqqqppopmoonmmlliqqpoomol"
        "oonmmllhqqqopmolppomnlmhqqqqqpqnppomnmliqqqopoomqpnmnmlhqqqnqnokqpolnllgopnnonommnllllkiqqpnqoqnoon"
        "mnmmiqqqoqoqnqopnpnnjppoopoomnollmmlipqpnpoomoomlnmmiqqqnqppnqpolpmniqqonqppnooklomliqqpnqqpnpomlon"
        "miqqpnqpqmqonkpnmhpppooopmnommllliqpqopnpmoonmmlmiqqqpqoqnqpomolniqqpoqopnoomlmllipqpopoomonmlmllhq"
        "qqoqnqmponlnlmhqqpoqppnopllnmliqqpnqopmpomlnllhqqpnqoqmponknllgqqqooopnooomllliqqqopoqnpoonmllhqqqq"
        "pnqmppomnkmhqqqopponoonmmlliqpqoqnpmoonmmkkgqpqoqnqlqonlnklgqqqpqqpnoqmmmmkhqqqoqoomppmlmlkgqqqnqnp"
        "kponknkke",
        "bgghghjihjhihiiggjkkkkmlkmllllmjjknlnmonooooooomgkjkklnllnkmlmmjgkkkklnllnmmlmmjjlnmnopnoqoooopmknl"
        "nooqoopnoppqmjnmmooqoopoopppmilmlnopnnpoonpplgkkljknlknlmkmmjgkkllknllnlmmmnkjmnnnmqnopoopopmimmnmn"
        "ponpnonnolhllmlmnmmnmnmnnkjmnnnnqnnpoooppmlpoppqqqpqpqqqqoknnoooqpoqppppqnjmnnnoqonpoooqpmknoolnqoo"
        "qppmopmknoommqpoqppooqmjmnonlqnopnooopmlpqqoqqqqqqqqqqoknoonoqpoqqqopqnknnonnqnnooppopnnpqqqqqqqqqq"
        "qqqpmqqqpqqqqqqqqqqokmnonnonnonooopmgkllklnmlnlmlmmkimnnmnoonpoooopmmoqpppqpqqqqqqqohllmmmonmolmnnn"
        "lilmmmmonmomnnoollnooooqppqppqqqnkomoopqpnqmoqqpnknnoopqpoqoppqqmknonooqpoqppoqqnhlllkmonlonnkmnkil"
        "mmlmonmpnnmnollnooooqpoqpqqqqoimmnmnpompnnnoolgkklklnmlnlmlmmjjmnnnnonnpooooomlpopopqqqqpqqqqojnmnn"
        "npononoopomjmmmmnonnonnnnolknpomoqooqppmoqmkooonoqpoqqqnoqnlnooonqooqppppqnlpppopqqpqqqoqqnjnnnmnpo"
        "npoonopljmmnmmonnonoooolnqqqqqqqqqqqqqqplooppoqqoqoppqqmjmmnmmommonnnnollooqoqqqnqoqoqqnmqqqqqqqqqq"
        "qqqqooqqqqqqqqqqqqqqqlpoqopqqpqopqqqnlpoqpqqqpqpqqqqonqqqqqqqqqqqqqqolonopoqpoqmoqqpnlooqopqqpqopqq"
        "qomoopoqqpoqpppqqnloppnpqqoqqqmppnlpqqpqqqpqqqoqqonqqqqqqqqqqqqqqplpoqpqqqqqqqqqqnknnoooqpoqopoopmm"
        "poqopqppqppqpqnmqoqpqqqqqopqqqoknnoonqonqnopppmknnonnqoopoooopmkoponpqpoqqqloqmlooqopqppqqqnpqnmppp"
        "ppqqqqqqqpqnmqqqpqqqqqqqoqqnknoonoqonqpomoqlknnonoqoopoonoolnqpqqqqqqqqqqqqolnopooqpoqopopqmillllmn"
        "mlnlmlmmj",
    },
    {
        "iiihihigiihghggelkljljlilkkjkijgnlnkmknjnmnkmklhllkjlkljkljikjjgmmljmlmjmmljlkkhonnkpmnkpnnknmminnl"
        "konmknnkkmlkiponkonnkonmknmlioonkqnnkponknmmilllkkjkjkkkjjijgmmmlljmjmmlkljkhonomnknkpnommkminnmlml"
        "mkmmlklkkhonnlnmmknnmlmkkhqppmomnkponmnmmippnnooomoomlnmlipqomponlppnmnmliqppmqookppomomminnnnlkmkm"
        "nmlkkkiononmknkoonmmklipoqonkokqoonnkmippooonnmoonmmlljpppoomolponnnlliqpqopmolqqpnommiqqqopoomppon"
        "nmljqqppqoolqqonommiqqqnpnokqqpnommilllklkljkkjijjjgmmnlmlmkmmlklkkhpnpmonolonnlnlmimnmlnlmklmkjlkk"
        "honnlomnlmmlkmlkhpopmpnplponlnmmioonmponmnnlknmliqpnmpoomoomlomliqpomqpplponlonmimmmlmlmklllkkjjhnn"
        "omnlnlnmmllkkhpoqnomolooomnlminnnmnmnlmmlklkkhoonmnmnknnlkmkkhqppnpmolponlnllhpqonpoomoomlnmliqponp"
        "ooloomlnmlhqppmqoolponlomlhopoonmnmnnmmlklippponmomoonmmlliqpqoompmqoonnlmipppoonomoonmmllipppoonom"
        "oonmmllhqpqopmplpoomnlmhqqqpqponppnmnmljqqqopoomppnmomliqqqoqoolppomomlhnnnmnmnllmlkkkkipoononomnnm"
        "lnlliqpqoqoqnpoomomnjopnnonommnllmllipponpoomnnmlnmliqqqnqpqnpoomonnjopnnqppnnollnmljqqonqpqnoomlon"
        "miqqpmqppmponlonmiooononommnmllllipppoonpmonnmmlliqqqppoqnpoomommjppooooonnomlmllipppnpoomnnmlmllhq"
        "pqoqopmpoomnmmiqqpoqppnoomlnmliqqpnqoomopmlnmlhqqqnqppmponlomlhppponnonnonmllliqqqopnpmooonmlmiqqqo"
        "pnpmpoomnlmipqqopopnoommllliqppopoomoonmmllhqqqnpnpmpoomnllhqqqppqpnoommmmliqqqoqoomppnlmlkhqqpnqoo"
        "lponknlkf",
        "bgghghjhgjhihiiffikkkkmllmlllmmjjkmlnmpnoppooppmgkjkklnmlnlmmmmkgkkkllnllnmmlmmkjmnmnnqnoqpoopqmjnl"
        "nooqpoqnppppmjnmnopqpoqppppqmimmlnopnnpooooomgkkljknllnmmkmmjgklllknmlnmmmmnkjmnnnmqnoqopqopmimnnnn"
        "qonqnoooomhllmlmonmonnmnnljmnnnnpooqqpppqmlqoqqqqqqqqqqqqokooppqqqoqoqqqqnjnnnooqooqpooqqnjnoolnqon"
        "qpqnopmknopnmqooqppooqnjmnomlpnnpnopoqmlpqqoqqqpqqqqqqnloopnoqppqqqqqqnkmnonnqooooqpoqnnqqqqqqqqqqq"
        "qqqpmqqqqqqqqqqqqqqojmnonnqnnppqppqmgllmkmnmlnlmlmnkjmnnnnqoopooooommoqqqqqqqqqqqqqohllmmmonmolnnnn"
        "limmnmnonnonnnoolloopqpqqpqqqqqqnkomoppqqoqmpqqqnlonpppqqoqooqqqnlooopqqqqqqpqqqnhlmlkmonmonnkmnkim"
        "mnmmpnnonnnnollnpqopqqqqqqqqqnjmnnnnponpnonoomhlllllnmlnlmlmmkjmnnnnqnoqpoooqmmooqqqqqqqpqqqqoknnoo"
        "oqpoqooqppmjmnnnpqonqonnoolkopomoqpnqqqmoqmloooooqppqqqopqnlooqonqpoqpqppqnmqqqoqqqqqqqpqqoknoonoqo"
        "nqppnoomjmnonmqonqoooopmoqqqqqqqqqqqqqqqmppqqqqqqqqqqqqnjmnnnnonmpooooollooqoqqqnqoqoqqnnqqqqqqqqqq"
        "qqqqooqqqqqqqqqqqqqqqlooqqpqqpqoqqqqomppqqqqqqqqqqqqooqqqqqqqqqqqqqqokompppqqoqmoqqpompoqqqqqpqoqqq"
        "qomppppqqqqqqpqqqolppqoqqqoqqqnqqnmqqqqqqqqqqqqqqooqqqqqqqqqqqqqqqmqqqqqqqqqqqqqqolpoqooqpoqpqpqqmm"
        "qqqqqqqqqqqqqqnmqpqqqqqqqpqqqqokonopoqpoqnqqqpnkooonoqppqoooqqmkoponqqpnqqqmoqmlqqqopqqqqqqoqqnmpoq"
        "pqqqqqqqqoqonqqqqqqqqqqqpqqoloooopqooqqqnppmkonoooqpoqppooqmnqqqqqqqqqqqqqqomooqqqqqqqpqqqqnillmmmn"
        "mlnmmmnmk",
    },
    {
        "fggggghgghgggggejjjijikikkjjjijglkmklkmjmllklklijkjikkkjjkiijjihklkjllljllkjkkkhnmmknmnknmmlnmljlmk"
        "kmmlklmkkllkimmlknnnknnmlnmljmmmknnnknnmknmmjjjkkjikjjkjjiijgklllkjljlllkkjkhmmnmmknknnnmmlljlmllll"
        "lklmkkkkkimmmlmllkmmllllkionnmnmnkoonmnmmjnonmnnnmnnmmmmljoonmnnnloonmnmmjopompnnlpoomonmjllmmkkmll"
        "mllkkkimmonlkmlnnnmmkljnnoomknlooonmlmjnnnnmnnmnommmmljnoonnmnloonmnmmjooooomnlpppnommjoppnoonmnonn"
        "mmlkqqpoponlpponnnmjpppnonnlpppnonmjijjjjjkjikjjiijhllllllmklllkkkkinnomnmolnnnmnlmjklklllmkklkkkkk"
        "immmlmmmllmlkllkionomonomonnlnmmjmnmmnnnmmnllmmljnonmooomonmlnmmjoonmpopmoonlnnmjklllkkmkklkkjjkhmm"
        "nmmlmlmmmllkkiononomnmonomnlmjmnmmmmmllmlkkkkimmmmmmmlmmlklkkhooomomolonnlnllinpnnooomnommmmljopnmo"
        "nnlnnmlnmlipppmpooloonlnmmimnnnmmnmmnmmllljnoponmomnnommlmjoopoomomooonnlmjnooonnonnnmmmmljooonnnnm"
        "nonmmllipopoonolpoomnlmiopoopoonopnnmmlkqpoooonmoonmnmljpppoqoolppomnmlilmlmmmmlklkkkkkinnnnnnommmm"
        "mmlmjooonpnpnooomomnkmnmnnnnmlmllmlljoonnooommnmlnmmjoopnpppnpnnmomnknpmnooonmnllnmlkoponpopnoomlnn"
        "mjoponpopnoonlonmjmnnnmnnmlmmlllljnoononomnnnmmlljppqopoonpoonnmnknoonnoonmnmmllljooononomnnmlmllip"
        "ppnpoomonnmnmmjopoopponnommnmmjpponpoonoomlnmlipqonpppmoonlommimonnnnommnmmklljopponnpnnoommlmjppqo"
        "onpnooonnlmjopooooonnonmmmljoppoooomnonmmllipppoonpmpoomnllioqoooponnommmmljpppopoomoonmmllipponpno"
        "moonlnllh",
        "bfghghjigjiihiigfikkklnmlnmmmmnkiknmnnqooqqoqqqmfkjllmnmlnlmmmnkgklllmomlnnnmnnlimnmooqooqqqqqqnjnl"
        "ooqqqoqoqqqqnjnnnoqqqqoqqqqqoimnmnoqooqqqoqqnfklmjlnmlnnnlmnkgklmllonmomnnnnljmopnnqqoqqqqqqninnono"
        "qqoqoqoqonhlmnmmonmononoomjnooooqqqqqqqqqnlqqqqqqqqqqqqqqqkpoqqqqqqqqqqqqojnoooqqqoqqqqqqojnoplnqoo"
        "qqqnoqnjnoqnnqqoqqqqpqoimnqnmqonqoqqqqnlqqqqqqqqqqqqqqqkoqqoqqqqqqqqqqojnqqooqqoqqqqqqomqqqqqqqqqqq"
        "qqqqmqqqqqqqqqqqqqqqjnopooqonqqqoqqogllmlmonlomnmnnljnnonoqqoqqqpqqnloqqqqqqqqqqqqqqhllnmnqomqmoooo"
        "mimmnmoqonqooooomlppqqqqqqqqqqqqokonqqqqqoqoqqqqqkqoqqqqqqqqqqqqokqoqqqqqqqqqqqqohlmmlnqompoolnnmim"
        "mnnnqonqnpnoomloqqqqqqqqqqqqqoimnonoqqoqoqoqpngllmlmnnlnmnmnnljnooooqooqqqqqonlqqqqqqqqqqqqqqqkonoo"
        "qqqoqoqqqqnjnonnqqonqqqnqonkooqnqqqqqqqnoqolqqqoqqqqqqqqqqokoqqooqqqqqqqqqomqqqqqqqqqqqqqqqkooooqqq"
        "oqqqoqqnjnnqooqqoqoqqqqnnqqqqqqqqqqqqqqqmqqqqqqqqqqqqqqqjnoonqqonqoqooqmkooqqqqqnqqqoqqomqqqqqqqqqq"
        "qqqqqoqqqqqqqqqqqqqqqlqoqqqqqqqqqqqqomqqqqqqqqqqqqqqqnqqqqqqqqqqqqqqqkonqqqqqoqmqqqqolqqqqqqqqqpqqq"
        "qqlqqqqqqqqqqqqqqqlqqqqqqqoqqqoqqomqqqqqqqqqqqqqqonqqqqqqqqqqqqqqqmqqqqqqqqqqqqqqplqqqqqqqoqqqqqqnn"
        "qqqqqqqqqqqqqqqmqqqqqqqqqqqqqqqkpoqqqqqqqoqqqqokooooqqqqqqqqqqnkoqqnqqqoqqqmqqolqqqqqqqqqqqpqqqlqqq"
        "qqqqqqqqqqqqmqqqqqqqqqqqqqqqkpoqoqqqqqqqoqqnkpoqpqqqqqqqqqqnnqqqqqqqqqqqqqqqlooqqqqqqqqqqqqoimmnmoo"
        "omqnomool",
    },
};

const char* const kIntraCbp[5][8] = {
    {
        "addedfffcfegeggg",
        "acdecfghdgfhehii",
        "adeedeffdfefeffd",
        "addedeffdfegdfgf",
        "aeeeeffeefefeeec",
        "addedeffdfefeffe",
        "aggfgfgeggfeeeeb",
        "aeeeeffeeffeeeec",
    },
    {
        "aededefedfefdfff",
        "acdecfghdgfhehii",
        "aeeeeefeefeedeed",
        "addedeffdfegdfgf",
        "aeeeeefeefffeeec",
        "addedeffdfefeffe",
        "afgfffgeggfefeeb",
        "aeeeeefeeffeeefc",
    },
    {
        "addedeefdfefefff",
        "acdeceghdgfhfhii",
        "aeeeeefedfeeeeed",
        "addeddggdgegdggf",
        "aeeedefeefeeeeed",
        "addedeffdfefeffe",
        "afffffgefgfffeeb",
        "aeeeeegeegfeeeec",
    },
    {
        "addedeefdfefefff",
        "acdecehgdhfhfhhh",
        "addedeffdfefeffe",
        "addddeggdgegdggf",
        "adeedefeefefefed",
        "addedeffdfefeffe",
        "aefeeefeeffeeeec",
        "aeeeeffeeffeeeec",
    },
    {
        "addedefgcfeheggh",
        "acdeceghdhfhfhhh",
        "addedeffdfefeffe",
        "acdedegfdgegeggg",
        "addedeffdfefeffe",
        "addedeffdfefeffe",
        "aeeeeffeeffeeeec",
        "adeeeefeefeeeeed",
    },
};

const char* const kIntraFirstPattern[5][4] = {
    {
        "akfkhmjlinjmknlmqqoppqnofmgljnkljojmlolmqqoppqnnkpjmmqlmmqknnqlmqqnopqnmgmilimkljokmknlmpqopoqnninj"
        "mknkmkojmlokmpqnpoqnnlqknnqlmmqlnnqlmqqnopqmmkqmokolmmqnolommqqpqopnnlqmololmmqmololmqqopnpnmoqnonq"
        "mmoqnonqmmqqooopmlckgkhmjlimjlknklpqopoqnnfmgljnkljnjlknklpqnooqnnjpimmplllqkmnpllpqnopqmmgmilimjlj"
        "ojmknklpqopoqnnhniljnkljojmknkloqnonqmmlqkmmplllqkmmpllpqmnoqmljplnjnlmlqmokolmqqopnpmmlqlokolmlqmn"
        "lollpqopnommnqmonpllnqmonpllqqnonplkfmhlinkljnjmkolmqqopoqnnhnhljnkljojmlolmqqoooqnnjpimmplmlqkmnql"
        "mqqnopqmmhnimjnklkokmkolmqqopoqnniojmknkljojmkoklpqnooqmmlqkmmplmlqkmmpllpqmooqmlkqlnjolmmqmololmqq"
        "oqopnmlqlokolmlqmolollpqopnpmmnqmonpllnqmomollpqmnnolkgniljnklkokmknklpqnnnomlhniljnjlkojlknklpqnnn"
        "olljoilknjklpjllnjkpqmnnokjhniljnjlkokmknklpqnnnolliniljnjkjojlknjkoqmnnolkjoilknjjkoilknjjoqlmmokj"
        "jojmimjklpkmknjkpqnnmnlkjojmjmjkkokmjmjjoqmnlnkjkojlkmiikojlkmiimojkklih",
        "ajgjgkijhliljljkoqnonomlflhkikijimiljmjkoqmnnollkojllnkklpjlmnkkpqmmnoljglhkhkijimjljljkoqnnnollhmi"
        "liljjjnjljmjkoqmnmolklokmlnkkmpkmmnkkpqmmnokjkolnjmkklpmnkmkkoqnomnlklolnkmkkmplnkmkkpqnnmnljnqmnmn"
        "kjoqmnmnkjqqmmnnkhekgjhkijimjljljjoqnnnollglhkilijjmjljmjjoqmnnolkkojllnjjlojllnkjoqlmnokjglikhkijj"
        "mjljljjoqnnmnlkimikiljjjmjljljjoqmnmnlklokllnjjlokllnjjoqlmnokikolmjmkklolnkmkkoqnomnljlolmkmkklolm"
        "kmkjoqnnlmkjnqmnmnkjnqlmlnkipqmmmmjhimiljmjkkokmlnkkqqoooomliniljmkklokmlnkkqqnooomllojmlnkkmpkmmok"
        "kpqmmooljjnjljmkklokmkmkkpqoonomljnjlkmkkkokmkmkkpqnnnolklpkmlnkklpkmmnkjpqlmnokjlplnkmkkmqmnlnkkqq"
        "oomnljlplnknkkmpmnkmkkoqnnmnkjnqmnmnkjnqlmlnkjoqlmmmjhkpkmlnkkmqmnmnlkqqooopmkkokmknkkmplmlnkkqqono"
        "oljlokllmjjmpkllnjiqqmmnnkhkpkmknkkmplmlnkkqqonooljkokmkmkkmplmlnkkqqnnnoljloklkmjilojllmjioqklmnjh"
        "lplmkmkjnqlmlmkjqqnnmnkhlpkmkmjimplmkmjioqmmlmjhloklkmihlojkkligmpjjjkhe",
        "agdhdhghfjgjhjiiqqqqqqqldifigihhhlhkikijqqqqqqokiqhlkqjjlqjoqqkjqqqqqqqkdififihhhlikikijqqqqqqqlgkh"
        "jhkiiilikiliiqqqqqqlkkqjnlqkjlqjlqqkjqqlqqqljjqkliljjlqmqkqkkqqqqqqqkkqlqkqkklqlqkqkjqqqqqqljqqqqqq"
        "ljqqqqqqljqqlqqqjhqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqq"
        "qqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqq"
        "qqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqq"
        "qqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqq"
        "qqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqq"
        "qqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqq"
        "qqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqq",
        "cifjgjiiimjljlkkqqoqoqomfkgjikijjmjlkmkkqqoppqnmknjmlmkkmplmmnlkqqpopqnmgkikhkijjnklkmkkqqoqoqnmhli"
        "ljljjknklkmkjqqooopmllolmlnkkmplnmnlkqqoqppnlknlmkmkkmpmnlnllqqpqopnllolnlmlkmqmnmnlkqqpqnpmlnpmnno"
        "lloqnnnollqqpoppmkdigjhjiiimjljljjqqpppqnmgkhjikiijmjlkmkjqqooopnlknjllmkkmolmmnlkqqooppnlgkikhkijk"
        "mklklkjqqopopnlilikjljjjnjlkljjqqnooomklokmlmkkmolmmnkkqqnoppmkknlmkmkkmomnlnlkqqpooomllolmkmkkmpmm"
        "lnkkqqopnomknpmnmnlknqmnmnlkqqnonpljgkikiljklnlmlnlkqqqqqqnmiljljlkklolmlmlkqqppqqnmlokmmnlknqmnnol"
        "lqqpqqqnmimjljlkklolmlmlkqqqqqqnmjmklkmkklolmlnkkqqpoppnlmolnmnlkmplmnnlkqqopqpnllpmnlnlknqnomollqq"
        "qqppnmmomnlnlknpmnlnlkqqppnpnlnqnnnnmlnqnnnnlkqqnpoomjjnkmlnllnqnonomlqqqqqqomkolnlnlknqnnnomlqqqqq"
        "qomlplnmnlkoqmnnomkqqpqqqnlkolmlnlknqmnmomlqqqqqqomlolmlnlknpmnmnlkqqppqqnlmpmnmnlknqmnnnlkqqooqpnk"
        "mpmnmnlkoqnonomlqqqqpqnlmqmnmnlknqnnmolkqqpqopnkmpmomnlknqmnmnlkqqnonoli",
    },
    {
        "alflhnkmhnjnkomnqqpqqqppengmkolmiojnlpmnqqpqpqpojqjnnqmnmqkooqnnqqoqqqoofnininlmjoknkomnqqpqpqophoj"
        "nkolnjpknlomnqqoqpqoolqlonqmnmqlooqmnqqopqqonkqmpkpmomqnqlpnoqqqqoqoolqmplqmnmqnpmqmnqqqqoqoooqnpoq"
        "nnoqopoqnnqqpqpqnncmglhnkmhnjmkolmqqpqpqopfngmjnkmiojnlolnqqoqpqoojqinmqlnlqknnqmnqqnpqqnnfnimhnkmi"
        "oknkolnqqoqpqoohoimjolmiojnkolmpqopoqnolqknnqmnlqknnqmnqqnppqnnjqmpjolnlqnplomnqqpqoqoolqmolpmnlqmo"
        "lpmnqqpqoqnnnqnpnqmnoqnpnqmmqqopoqmmenhmiolmjoknlomnqqpqqqppgohmkolmjpknlpmnqqpqqqoojqinmqlnmqkonqm"
        "nqqoqqqoogoiniolnjpknlomnqqpqqqoohpjnkolnjpknlolnqqoqpqookqknmqmnlqknnqmnqqnopqnnjqmojolnmqmplpmnqq"
        "qqpqookqmplpmnlqmolpmnqqoqnqnnnqnpnqmnnqmonqmmpqnonqmmgoinjokmkpkmlolmqqoooqnnhpinjokmkpknlolmqqooo"
        "qnmjqimlokllqknloklqqnooqmlhojnjokmkqknlolmqqooopnmhojnjokmjokmkolmpqnoopmmjpjmloklkpjmlokloqlnnpll"
        "jqknjokllqlnkoklqqopnpmmjqknjnklkpknknkloqnomolllqknlnjklokmknjjnpkllmji",
        "akfkglikhmiljmjkoqnnnomlfmgkimjkiniljmjkoqmnnolljpimlokklqjmmokkoqlmnolkfmilhljkinjljmjkoqmnnollhni"
        "ljmjkjnjljmjkoqmnmnlklpkmmokkmqkmmokkoqlmnokjkplnjnkklpmnkmkkoqnomnlklqlnknkklqlnknkkoqnomnljnqmnmo"
        "lkoqmnmokjqqmnnnkidlgkhljkimiljmjkoqnnnollfmgkimjkiniljmjkoqmnnolkjoillokklpjlmokkoqlmnoljgmilhljki"
        "njljmjkoqmnnnlkhnilimjkjnjljmjjoqmnmnlkkpjmlokklpjllnkjoqlmnokjjplnjmkklplnjmkkoqnomnlkkplnknkklpln"
        "kmkkoqmnlmkjnqmnmokjnqlmmnkjoqlmmnjihnimjnklkokmlnllqqnooomlioimjnkkkokmlnkkqqnnoomlkpjmlokkmqkmmok"
        "kqqmnoplkiojmjnklkpkmknklqqnooomliojmjnkkkokmknkkpqnnnolkkpkmmokklqjmmokkoqlmnokjlqlnknkkmqmnknlkpq"
        "oomnlklqlnknkklqmnkmkkoqnolnljnqmnmokkmqlmmnkjoqlmlmjikqknlollmqlnmollqqonoomkkpknknklmqlnlnlkqqono"
        "omklpjmlnkjmqkmmnkjqqmmnokikqknkollmqlnmolkqqonoomkjpjmknkklqkmlnkkqqnnnoljkpjllnjjlpjllnjioqklnnki"
        "lqlnknkjnqlnlnkjqqnnnnkilqkmknkjlqlmkmjjpqmnlmkilqkmlmjilpjlkmjhnpjjkkhf",
        "ahdiejhifkhkilijqqqqqqlkckejhkhihqhkjqijqqqqqqlkiqhkkqjikqjlqqjjqqqqqqljdkgjgliihqikjqjjqqqqqqlkfqh"
        "kiliiiqikjqiiqqlqqqkjjqjllqjjlqjllqjiqqkqqqkjiqkqiqkjmqlqkqkjqqqqqqmkkqlqkqkjlqlqkqkjqqqqqqljqqqqqq"
        "kjqqlqqqkjqqkllqjhqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqq"
        "qqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqq"
        "qqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqq"
        "qqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqq"
        "qqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqq"
        "qqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqq"
        "qqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqq",
        "cjgjgkijimjljmkkqqooppnmflhkiljjjnjlkmkkpqoooqmlkojllnkkmpkmmnlkqqopopmlflikhljjjnjmjmkkpqnonqmlhmi"
        "ljljkjnjlkmjjqqnonollkokmlnkklqlmmnkkqqnonomlkolnknklmqmnkmllqqopnomllplnlnkkmpmnlnlkpqopnpmlmqmnmo"
        "llnqmnmolkqqnonolkdkgjhkijjmjlkmjkpqoooomlglhkikjjjnjlkmjjpqnoopmlkojllmkkmokmlnkkpqnooqmlglikhljjj"
        "njljmjjpqoonomlhlililjjjmjljmjjpqnnnolkknkmlnkklpkmlnkkoqmnnolkkolmjmkklplnknkkpqoonomlkokmkmkklplm"
        "kmkkpqnomolkmqlnmolkmqmnlnkkpqmomoljhmjljmkklolmlnllqqpqpqnmimjljmkklolmlnkkqqoppqnmlokmlnkkmqlnmol"
        "kqqopoqmlinjljmkklolmlnkkqqppopnmjnjmjmkklokmkmkkqqopoomllplmlnlkmqlmmnlkqqnpoplllqlnknllmqmolnllqq"
        "opopnllqlnlnlkmqmnknlkqqoomomkmqmomollnqmomolkpqmomoljjolnlnllnqmonomlqqqqqqomjokmknllmqmnnollqqqqq"
        "onmkplnlolknqmnmplkqqoqpqnlkoknlollnqmnmollqqqqpqnmkokmknklmpmnmnlkqqooppnllqlnlolkmqlnmolkqqnoopmk"
        "lqmnlolknqnomollqqpqppmllqmnlolknqmnlolkqqopnomkmqmomokkmqlnlokkoqlnmnki",
    },
    {
        "amgnholoiokolpnpqqqqqqqqfohnkqmojqkomqnqqqqqqqqqkqjooqnqmqlqqqoqqqqqqqqqfojoiomojqlolqnqqqqqqqqqiqk"
        "olqmokqlpmqnqqqqqqqqqmqmqoqoqnqmqpqoqqqqqqqqqkqnqlqoqnqoqnqoqqqqqqqqqmqoqnqoqnqoqnqoqqqqqqqqqqqqqqq"
        "oqqqpqqqoqqqqqqqqqbmgmiolnioknlonoqqqqqqqqfohnkolojqkomqnpqqqqqqqqjqjonqnomqlpoqnqqqqqqqqqfojniomoj"
        "qlolqnoqqqqqqqqhpjokqmojqkolqmoqqqqqqpqlqlpoqnpmqlpoqnoqqoqqqoqkqnqkqnqmqoqmqnqqqqqqqqqlqnqmqnqmqnq"
        "mqnqqqqqqqpqoqoqqqoqpqoqoqoqqqqqqqooeoinjqmojqlolqnqqqqqqqqqgpinkqmokqlomqnqqqqqqqqqjqjonqnpmqlqoqn"
        "qqqqqqqqqgqjojqmokqlpmqnpqqqqqqqqiqkolqmokqlomqnpqqqqqqqqlqlpoqnpmqlpoqnoqqoqqqoqkqnqkqnpnqoqmqoqqq"
        "qqqqqqlqnqmqnqmqnqlqnqqqqqpqpqoqoqpqoqoqoqoqooqqoqpqoogqjokqmokqlnmqnoqqqqqqoohqjokqmnlqlomqmoqqqqq"
        "qoojqjomqlnmqlomqmnqqoqqqnohqkokqmolqlolqmoqqqqqqooiqkokqlnkqlnlqmnqqoqqqookqjnmqlnlqknmqlmqqnppqnn"
        "jqlojqlnmqmqmqmnqqqqpqookqlokqlnlqmokplnqqpqnqnnmqlnmqlmmqlnlollnqmnmoll",
        "akfkglikhmilimjkoqnnnomlemgkimjkiniljmjkoqmnnolljpimmokllqjmmokkoqlnnpllemilgljkinjlimjkoqmnnollhni"
        "ljmjkinjljmjkoqmnmnlklqkmmokllqkmmokkpqlnnolkkqlnjnkllpmnkmklpqnomnlllqlnknklmqlnknkkpqnomnlknqmnno"
        "lloqmnmolkqqnnnoljdlgkgljkimiljmjkoqnnnnmlfmgkimjkiniljmjkoqmnnolljpillokklpjlmokkoqlmnolkfmilhljki"
        "njljmjkoqmnnnllhnilimjkiniljmjjnqlnmnlkkpjmlokklpjllnkkoqlmnokkjqlnjmkklqlnjmkkpqnomnlklqlnknkklpln"
        "jmkkoqmnlnkknqmnmolknqlnmnkkoqlmmnkjhoimjnklkokmlnllqqoooommhoimjnklkokmlnklqqnnoomlkpjmmokkmqjmmok"
        "kqqmnopmliojmjnklkpkmknklqqoooomliojmjnklkokmknkkpqnnnomlkpkmmokklqjmmokkoqlmnolklqlojnklmqmoknllqq"
        "opnomllqmoknlllqlnknkkpqnomnlknqmonolkmqlnmnkkoqlmlnkjkqknlollmqlnmollqqonopmlkqknkollmqlnlollqqono"
        "omllpjmlokknqkmmokkqqnnoolkkqknlollmqlnmollqqoooomljqknkolllplmlnllqqnnoomkkpjmlokklqjllnkjpqlmnokj"
        "lqlnknkknqmnlnkkqqoonnlklqlnknkkmqlnknkkpqnnmnljlqlmlnkjlpkllmjinpkkklih",
        "ajdifjhiflgjilijqqqqqqlkckejhkhihqhkjlijqqlqqqlkhqhkkqijkqiklqjjqqqqqqlkdlgjgliihqikilijqqpqqqlkflh"
        "jiliihqhkiliiqqlqqqkjjqillqjjkqillqjjqqkqqqkjiqkliqjjlqlqkqkjqqqqqqlkjqkqkqjjkqkqjqjjqqqqpqkjqqlqqq"
        "kknqlqlqkjqqkllqjiqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqq"
        "qqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqq"
        "qqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqq"
        "qqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqq"
        "qqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqq"
        "qqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqq"
        "qqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqq",
        "bkgkhljkimjmjmkkqqoqopnmfmhkjljkjnjmknkkqqopoonmkpkmmollmqlnmollqqoqpqnmgmililkkjnkmkmkkpqnpnommhnj"
        "ljmkkjokmknkkpqnpnomllplnmollmqlnmollqqnpoqmlkqmoknllmqmolnllqqpqoqnmlqmolollmqmolollqqopnpmmnqnpnp"
        "mmnqmpmpllqqnqnpmlelhkhljkjnjmkmkkpqopopnmgmhljljkjnjmkmkkpqopopmmkpjmmnllmplnmollqqnpoqmmgmililjkj"
        "okmkmkkoqnonomminjljmkkjnjmjmjkoqnonomllplnlollmqknmnlkpqmpnqmlkplnknllmqmolnllqqopnqnmlqlolnllmqmo"
        "knllpqnqmomlmqmompllnqmomollpqnpnplkhnjmknlllpmnmnllqqpqqqoninjmknllmplnmnllqqoppqnmlqlnmollnqmonpm"
        "lqqoqpqnmjpknknllmplnlnllqqoqqqnmjoknknlllolnlnllqqoqoqmmlqlomomlmqlnnollqqnpoqmlmqmolollnqnompmlqq"
        "qqoqnmmqmolomlmqmplollqqoqnpmmnqnqnqmmnqmpmqlloqmpmplkjqlomommnqnpoqmmqqqqqqonkqlomommnqnonqmmqqpqq"
        "qnmlqlompmlnqmonqmlqqoqqqnmlqlomommnqmpnqmmqqqqqqonkqlolpllnqmomomlqqoqqqnmlqlpmpmlnqlonpmlqqnqoqml"
        "mqmplpmloqnpmqmlqqpqoqnmlqmplpllnqnqlpllqqoqnpmlmqmpmqllmqlpmollnqmnlnkj",
    },
    {
        "angniomqiqlqmqoqqqqqqqqqeqholqnqjqlqmqoqqqqqqqqqkqkqqqqqnqmqqqqqqqqqqqqqfqkqiqnqkqmqmqoqqqqqqqqqiqk"
        "qlqnqkqmqmqoqqqqqqqqqmqmqqqqqoqnqqqqqqqqqqqqqlqqqlqqqnqqqnqqqqqqqqqqqnqqqnqqqoqqqnqqqqqqqqqqqqqqqqq"
        "qqqqqqqqqqqqqqqqqqbnhniqmqiqkqlqnqqqqqqqqqeqhokqmqjqkqmqoqqqqqqqqqkqjqoqoqnqlqqqqqqqqqqqqqfqjqiqmqj"
        "qlqlqnqqqqqqqqqhqkqlqnqjqlqlqnqqqqqqqqqmqmqqqoqnqmqqqoqqqqqqqqqkqnqlqoqnqqqnqqqqqqqqqqqmqoqnqoqnqoq"
        "nqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqeqiqjqnqkqlqmqqqqqqqqqqqgqiqlqnqkqlqnqoqqqqqqqqqjqjqnqnqnqmqqqo"
        "qqqqqqqqqgqkqkqnqkqmqmqoqqqqqqqqqiqkqlqnqkqlqmqoqqqqqqqqqlqlqqqoqmqlqqqoqqqqqqqqqkqnqkqnqnqqqnqqqqq"
        "qqqqqqmqnqmqoqmqpqmqoqqqqqqqqqqqqqqqqqoqqqqqqqqqqqqqqqgqkqkqnqlqlqmqnqqqqqqqqqiqjqlqmqlqlqmqnqqqqqq"
        "qqqjqjqmqmqnqlqnqnqqqqqqqqqiqkqkqmqlqmqmqnqqqqqqqqqiqkqlqmqkqlqmqnqqqqqqqqqkqkomqmqlqkonqmoqqoqqqoq"
        "jqmqkqmqnqnqmqnqqqqqqqqqkqmqlqmqlqmqlqmpqqqqqqqqnqmqnqmnmqmqmqmnqqnonqnn",
        "akfkfkikglililjkoqnonommemfkimjkhmiljmjkoqmnnommjqimmokllqjmmolloqmnopmmemhlgljkimjliljkoqmonommhni"
        "limjkiniljmjkoqmnmnlllqkmmollmqkmmollqqmnopmlkqlojnkllqmoknllpqnonommlqmoknllmqmolnllpqnonomloqnonp"
        "mmoqmonpllqqnoopmldlfkgljkhmiljljkoqnnnommfmgkimjkiniljmjkoqmnnommjqillokllqjmmoklpqmnopmlfmhlgljki"
        "njliljkoqmonnmmhnilimjkimiljmjknqmnmnllkqjmmokllpjmmokloqlnnolljqloinkllqmnknklqqnpnommlqloknkllqln"
        "knkloqnomnlloqmonpllnqmnmolloqmnmnlkgoimjnklkokmlnlmqqoooonmhoimjnklkokmlnllqqnoopnmkqimmoklmqkmnpl"
        "lqqnopqmmipjnjnklkpknknllqqoooonmipjmknklkokmknklqqnonommkqknmplllqjmmolloqlnoqmlkqmojnllmqmolnllqq"
        "pqoonmlqmololllqmoknllpqnpmomloqnonqmmmqmnmolloqlmmnkkjqkolpmmmqlnmpmmqqonppnmkqkolplmmqlnmommqqonp"
        "onmlqjmmollnqlnnpllqqooqqmmkqkololmmqlnmommqqooppnmkqknlolmlqlnlolmqqoooonmlqkmmpllmqjmmoklqqmnopll"
        "lqmokollnqmomollqqppopmmlqmolollmqmolnllqqoonomlmqlnmokkmplmmnkkopllmmkj",
        "aidifjhifkgkilijqqpqqqllckejhkhihqhkjlijqqpqqqllhqglkqjkkqjllqjkqqqqqqqldkgjfkhjhqikilijqqqqqqllflh"
        "kilijhohkilijqqlqqqkljqjllqjkkqillqjkqqlqqqlkiqjqhqjklqlqkqkkqqqqqqqljqkqjqjkkqkqjqjkqqqqlqllqqqqqq"
        "kklqlqlqkkqqlqlqkjqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqq"
        "qqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqq"
        "qqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqq"
        "qqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqq"
        "qqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqq"
        "qqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqq"
        "qqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqq",
        "bkgkhljkimjmjmkkpqopoqnmfmhliljkjnjmkmkkqqopnqnmkpknmollmqlnmollqqoqoqnmfmilhljkjnkmjmkkoqopnonmhnj"
        "mjmkkjnjmjmkkoqnonpmmlqlnmollmqlomollqqoqoqnmkqloknllmqmolnllpqpqoqnmlqmololmmqmolollpqoqnqnmnqnqnq"
        "mmnqnqnqmmqqopoqnmelhkhljkjnjljmkkpqopopnmgmhliljkjnjmkmkkpqnoopmmkokmmnllmqlnmollqqoppqnmgmililjkj"
        "nkmjmkkqqopnomminjljmjkjnjmjmjkoqnonomllplnmolllqknmollpqnpoqmlkqmnknlllqmoknllqqoqnqnmlqmokolllqmo"
        "knllqqoqmpmlnqnpnpmmnqmpmpmlpqnqnqmliojmknlllqlnlnllqqqqqqonjokmknlllqlnmnllqqpqpqomlqlnmomlnqmonom"
        "lqqpqqqonjoknknlllqlnlnllqqpqoponjoknknlllplnlnllqqoqoqnmmqmonomlmqlompmlqqnqpqnllqmolomlnqnpmommqq"
        "qqoqonmqnplommmqnolpmlqqpqnpnmnqnpnqmmnqnpnpmmpqnqnplkkqmompmmoqnpnqnmqqqqqqpnkqmompmmnqnpnpnmqqqqq"
        "qonlqmpnqmmoqnqnqmmqqpqpqomlqmomqmmoqnpnpnmqqqqqqpnlqmompmmnqmompmmqqqqqqommqmpnqmmnqmpnpmlqqoqpqnm"
        "mqnqmqmmpqoqnqmmqqqqqqonmqnpmqmmnqnpmpmmqqpqoqnmnqnqmqmmnqmqmpmmoqmomolk",
    },
    {
        "aqgqiqqqjqlqmqqqqqqqqqqqeqhqlqqqkqlqnqqqqqqqqqqqkqkqqqqqqqnqqqqqqqqqqqqqfqkqjqqqkqnqmqqqqqqqqqqqiql"
        "qmqqqkqmqnqqqqqqqqqqqnqqqqqqqqqqqqqqqqqqqqqqqlqqqmqqqqqqqqqqqqqqqqqqqnqqqqqqqqqqqqqqqqqqqqqqqqqqqqq"
        "qqqqqqqqqqqqqqqqqqbqhqiqnqjqlqmqqqqqqqqqqqeqhqlqnqjqlqnqqqqqqqqqqqjqjqqqqqnqmqqqqqqqqqqqqqeqkqiqqqk"
        "qmqmqqqqqqqqqqqhqkqlqqqjqlqmqqqqqqqqqqqmqmqqqqqnqmqqqqqqqqqqqqqkqqqlqqqqqqqpqqqqqqqqqqqmqqqnqqqnqqq"
        "nqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqeqiqkqqqkqlqmqqqqqqqqqqqgqiqlqqqkqmqpqqqqqqqqqqqjqjqqqqqqqnqqqq"
        "qqqqqqqqqgqkqkqqqlqmqmqqqqqqqqqqqiqlqlqqqkqmqmqqqqqqqqqqqlqmqqqqqmqmqqqqqqqqqqqqqkqqqkqqqqqqqqqqqqq"
        "qqqqqqlqqqmqqqmqqqnqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqgqkqlqqqlqmqnqqqqqqqqqqqiqjqlqnqlqmqnqqqqqqqq"
        "qqqjqjqnqmqnqmqqqqqqqqqqqqqiqkqkqoqmqmqmqqqqqqqqqqqjqlqlqnqkqmqmqqqqqqqqqqqlqkqnqmqmqlqqqnqqqqqqqqq"
        "jqmqkqnqqqqqnqqqqqqqqqqqkqnqlqnqmqnqmqnqqqqqqqqqnqnqqqmqnqmqqqnqqqqqqqqq",
        "akekfljlglilimkmpqnpopnoemflimjlhnimjnkmpqnpoqnokqjnmqlnlqkonqmnqqoqpqopemhmgmjlinjmjmkmpqnpopnohni"
        "mjnkminjmjnkmoqnpnpnomqlonqmnmqlonqmnqqoqpqopkqmqkomnmqnqlomnqqqqpqopmqnqlpmnnqnqmpmoqqqqoqnoqqoqoq"
        "npqqoqoqnpqqqqqqoqclflgljlhmiljmkmpqoooonoenglimjlinimknkmpqnpopnojqinmplmlqkonqmnqqoqqqopfnimhmjli"
        "njmjmkmqqopopnnhnimjnkminimjnkmoqnonpmnlqkonqmnlqknmplnoqmooqnokqmpjolnmqmqlomnqqpqqqoplqmplpmnmqmp"
        "lomnqqoqnpnopqoqoqnooqnqoqnoqqoqoqnohpinjolnkoknlomnqqpqpqpohqinkolnlpknmomnqqqqqqppkqjnnqmnnqlooqn"
        "oqqqqqqpqiqkojolnlqlolomnqqqqqqopiqkokolnkpkolomnqqoqpqoolqkonqmnlqknnqmnqqnqqqoolqmqkpmnoqoqmqnoqq"
        "qqqqqqmqnqlqmomqnqlomnqqqqoqoopqoqqqnonqnpoqnooqnoopnojqlqmqnomqmpnqnoqqqpqqppkqkqmqmomqmonqnoqqqqq"
        "qpplqkooqmnoqmqoqnoqqqqqqqpkqmqlqmonqmpnqnoqqqqqqqpkqlqmqmomqmpnqnoqqqqqqoolqkooqmnnqlooqmnqqpqqqoo"
        "mqnqlqmopqoqnqnoqqqqqqoqmqnqmqmonqnqmqmnqqqqqqopnqnqoqmnnqnooqmnqqooopnn",
        "ajdjfjhjfkhliljkqqqqqqqqclekhlikhqhljqjlqqqqqqqqiqhqlqkllqkqqqlqqqqqqqqqclgkgkikhqiqiljlqqqqqqqqfnh"
        "liljlgmimimjlqqqqqqqqkqkqmqknkqjqlqlmqqqqqqqqiqkqiqkmlqmqkqlqqqqqqqqqkqlqkqlqlqmqkqlmqqqqqqqqqqqqqq"
        "qqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqq"
        "qqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqq"
        "qqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqq"
        "qqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqq"
        "qqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqq"
        "qqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqq"
        "qqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqq",
        "bkfkgkjkhmjmjmkkqqpqoqnnfmhliljkinjmkmklqqqqoqnmkqknmommmqlonpmmqqqpqqonfmilhljkinkmjmkkpqopoonnhnj"
        "mjmkkjnknknkkoqopoqnmlqmompmmmqmpnqmmqqpqqqonkqmokommmqnolommqqqqoqonlqmolommmqnqlpmmqqqqoqonnqoqoq"
        "nnnqnqnqnmqqqqqqnnelhkhljkimjmjmklpqopoqnngmhliljkjnjmkmkkqqpqpqnmkqknmomlmqlonommqqqoqqongmilhljkj"
        "okmjmkkpqoqoqonhnjmjmkkjnjmjmkkoqnooqmllqlomommmqlomomlqqnqoqnmkqmokollmqnolommqqqqoqnnlqmqlommmqmo"
        "lomlqqpqnpnmnqoqnqnmnqnqnqnmqqoqoqmlinkmknlllomomommqqqqqqonjoknknllmqmnmnmlqqqqqqpomqlonpmmnqmpopn"
        "mqqqqqqpnjolnknlllqmomommqqqqqqqnkplnlomllqmolomlqqqqqqommqmonpnmmqmonpmmqqoqqqommqnqlommoqoqmqnmqq"
        "qqqqqnmqnqmqnmmqnqmqmmqqqqoqomoqoqoqonnqnqnqnmqqnqnqmljqmpnqnmnqoqoqonqqqqqqqokqmpmpnmnqoqnqnmqqqqq"
        "qqnmqmqnqnmoqnqoqnmqqqqqqqnlqmpmqnmoqoqnqnnqqqqqqpnlqmqmqnmnqnpnqnmqqqqqqpnmqmqnqnmnqmqnqnmqqoqqqom"
        "mqoqlqnmoqoqnqnmqqqqqqqnmqnqmqnmnqnqmqnmqqqqoqomnqnqnqnnnqmqmqmmoqnpnqml",
    },
};

const char* const kIntraSecondPattern[5][2] = {
    {
        "afkdgkhijegkghjiijiijijjjjidgkegkhhjfhkghjhhihijiijiihgikgikhijhikhikiiiijjiijjihhijhijhhhiijhijhhh"
        "iiihhhhgf",
        "afldglijldgkghljjlhjljjlkklcgkehkhjlehlghkjjlhjlijkkkkfilgilijlgilhiljjlikljjlkkkijlijljjkijlijljjk"
        "ijkjjkjji",
    },
    {
        "afkegkhikegkghjiijiijijjjjjcgkegkhhjfhkghjhhjhijiijjiigikgikhijgikhikiijijkiijjjiiikhijhiihikhijhhi"
        "iijiiihhg",
        "afmehmiknehmgimkkmijmkkmmmmbgmehmijmehmgiljkmijmjklllmgimhjmjkngjmijmkkmjkmkkmmmmikmjkmkkmikmjkmkkl"
        "jkmkkllkk",
    },
    {
        "afkdgkhilegkghkijkiikjjkkkkcgkegkhikehkghkiikhikiijkjjfilgikhjkgilhikiikijljjkkjjijkijkijkijkiikiij"
        "ijkiijjii",
        "agnehojlodhnhinlloiknklnnnobgmeinjkpeinhimlloiknkknnnofjnhjnklogkoikollojlollnnnojkojlnlmojlnjlolmn"
        "kmpllnnmn",
    },
    {
        "afldglhjmdglghljjlijljjlllmcgleglhjlehlfhkjjlhiljjklllfilgilijmgilhiljjlijmjjllllikmikljkmikmijmkkm"
        "jkmjjllkl",
        "agndiokmqdiphjpmnpjlplmqoqqbhneiojlpeiohjomnpikolloqoqgjohkolnphkojknmmpklolloooqjloklonopjmokmqnoq"
        "knqmmopop",
    },
    {
        "agmdhmjlnehmgimklniknklnnnobgmehmjkoehmghmklnijnkkmnnogjnhjnkmohjniknllojlnllonnokmokmomnpkmokmomnp"
        "lnpmmpooo",
        "agqdiqknqdiqhjqnqqikqlnqqqqbhoeiqkmqeinhjqnoqikqlloqqqgjoikomqqgknjlqnoqjmqmlqqqqkmqlmqqoqjmqlmqqpq"
        "knqmnqqqq",
    },
};

const char* const kIntraThirdPattern[5][2] = {
    {
        "afkdgkhikehkghkiikijkjjkjjjcgkehkhijfhkghkiijijkiijjjigilgikhikgilhikiijijkjjkjjjhikhikhiihikhijhii"
        "iijiiihhh",
        "aekdgkhildgkfhkjjljkljkllllcgkegkhikehkghkijkijljjlkklgilgilijlhjlhiljjljkmkkmlllijlijljjljkljkljkl"
        "klmkkmkkk",
    },
    {
        "afkdgkhikehkghkijkijlijkkkkcgkegkhikehkfhkiikijkijkjjjfhlgilhilgilhikijkijljjkkjkhikhikijkijkijkiik"
        "jjkjjkjjj",
        "afldglijmehmghmjknklnklomnobglehlijmfhlgimjknkloklnmmogimhjnjkohknikmllnlnolmonnpjkmjloklollnklnlmo"
        "mopnnonno",
    },
    {
        "afldglhjleglfhkjjlijljkllllcgkdgkhjlehkfhkijlijljjllllfilgilikmgilhiljkljkmjkllllijlikmjlmikmjkmklm"
        "klmkkllll",
        "afnchqjlqeiqhjqmmqmqqmqqqqqbgneiqjlqgjqhkqnnqnpqmqqqqqhjqilplnqkmqkmqqnqqqqoqqqqqmmqmqqqqqnoqmnqqqq"
        "qqqoqqqqq",
    },
    {
        "agldhlikmehlgilklmjkmkkmmmnbglehlikmehlgilkkmjkmkkmnnngimhkmkmnhjmikmllnlmollnnnnjlnkmomnpkmolmonno"
        "mnpnnoooo",
        "afqcgqkoqeiqhjqlqqlqqqqqqqqbgmeimmmqgiqikqqqqqqqqqqmqqhkqiloqqqkmqkqqqmqqqqqqqqqqqqqmqqqqqqqqmqqqqq"
        "qqqqqqqqq",
    },
    {
        "afldglkkmdhlgilllmkkmllnonobglehlklnfhlhilllnklnllmnnohkmjlnmnojknjknmlnmnqmnnoooloqmoponqnnpnoqonq"
        "nnqnoppop",
        "aeqchqkqqekqhqqqqqqqqqqqqqqbgnelqqqqgkqiqqqqqqqqqqqqqqiqqkqqqqqkqqkqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqq"
        "qqqqqqqqq",
    },
};

const char* const kIntraCoefficient[5] = {
    "bddeefggghhhiijjjjkkklllkkkmnopp", "bcdffgghhiijkkklllmmnnnnnnnoqqqq",
    "bcdefgiijjkklmmmnnooooqqoqqqoqqq", "bcdefgiijjkklmmmnnqqqqqqqqomqqqq",
    "bcdefhhiijkkmlnmpnonmponmmklqqqq",
};

const std::uint8_t kCbpValues[16] = {
    0, 32, 16, 48, 2, 34, 18, 50, 1, 33, 17, 49, 3, 35, 19, 51,
};

const std::uint8_t kAicTop[16][2] = {
    3, 5, 2, 5, 7, 5, 4, 5, 15, 3, 8, 4, 1, 4, 14, 5, 12, 5, 11, 6, 6, 6, 9, 7, 5, 7, 13, 7, 10, 7, 0, 1,
};

const std::uint8_t kAicMode1[90][9][2] = {
    4, 4, 1, 4, 7, 7, 3, 7, 5, 6, 8, 5, 6, 4, 2, 2, 0, 1, 5, 3, 2, 3, 8, 7, 7, 7, 4, 6, 0, 5, 3, 4, 6, 3, 1,
    1, 7, 4, 1, 4, 5, 7, 3, 7, 4, 6, 6, 5, 8, 4, 2, 2, 0, 1, 2, 3, 1, 3, 7, 7, 4, 7, 8, 6, 6, 5, 5, 4, 3, 3,
    0, 1, 2, 2, 0, 2, 4, 4, 1, 4, 8, 6, 3, 6, 5, 5, 7, 4, 6, 2, 4, 7, 0, 7, 8, 7, 7, 7, 6, 5, 3, 4, 2, 3, 1,
    2, 5, 1, 4, 5, 0, 5, 8, 7, 7, 7, 3, 6, 5, 5, 2, 3, 6, 2, 1, 1, 6, 5, 1, 5, 5, 7, 3, 7, 8, 6, 7, 5, 4, 3,
    0, 2, 2, 1, 3, 4, 1, 4, 7, 7, 5, 7, 6, 6, 4, 5, 8, 4, 0, 2, 2, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    0, 0, 0, 0, 0, 5, 5, 4, 5, 8, 7, 7, 7, 3, 6, 6, 5, 2, 3, 0, 2, 1, 1, 5, 3, 2, 3, 8, 7, 7, 7, 4, 6, 0, 5,
    3, 4, 6, 3, 1, 1, 6, 4, 0, 4, 5, 5, 4, 5, 8, 6, 3, 6, 7, 5, 2, 2, 1, 1, 2, 3, 0, 3, 8, 7, 7, 7, 4, 6, 6,
    5, 3, 4, 5, 3, 1, 1, 4, 3, 2, 3, 8, 7, 7, 7, 3, 6, 5, 5, 0, 4, 6, 3, 1, 1, 3, 4, 2, 4, 8, 7, 7, 7, 0, 6,
    4, 5, 6, 4, 5, 2, 1, 1, 3, 7, 0, 7, 8, 7, 7, 7, 2, 5, 4, 4, 5, 3, 6, 2, 1, 1, 4, 5, 0, 5, 8, 7, 3, 7, 5,
    6, 7, 5, 1, 3, 2, 2, 6, 1, 6, 4, 0, 4, 7, 7, 4, 7, 3, 6, 5, 5, 8, 4, 2, 2, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0,
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 3, 0, 3, 4, 5, 3, 5, 6, 6, 5, 6, 7, 5, 8, 3, 2, 1, 7, 4, 6, 4, 5, 5, 3,
    5, 4, 6, 0, 6, 8, 5, 1, 2, 2, 1, 4, 6, 0, 6, 5, 7, 3, 7, 6, 6, 1, 4, 7, 3, 8, 2, 2, 1, 8, 3, 1, 3, 3, 4,
    0, 4, 6, 6, 4, 6, 7, 5, 5, 4, 2, 1, 7, 3, 6, 3, 5, 7, 3, 7, 0, 6, 1, 5, 4, 4, 8, 3, 2, 1, 2, 2, 1, 2, 4,
    7, 0, 7, 7, 6, 8, 5, 6, 4, 3, 3, 5, 2, 2, 2, 1, 2, 7, 4, 4, 4, 3, 6, 0, 6, 5, 5, 8, 4, 6, 2, 1, 4, 0, 4,
    5, 7, 3, 7, 4, 6, 6, 5, 8, 4, 7, 2, 2, 1, 7, 4, 1, 4, 3, 5, 0, 5, 5, 6, 4, 6, 6, 5, 8, 2, 2, 1, 0, 0, 0,
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 2, 0, 2, 5, 5, 4, 5, 7, 6, 6, 6, 8, 5, 3, 3, 2, 2, 3, 3,
    2, 3, 7, 7, 0, 7, 4, 6, 8, 5, 6, 4, 5, 3, 1, 1, 3, 4, 1, 4, 6, 7, 5, 7, 4, 6, 7, 5, 8, 4, 0, 2, 2, 1, 5,
    3, 2, 3, 7, 7, 0, 7, 6, 6, 4, 5, 1, 4, 8, 3, 3, 1, 2, 3, 1, 3, 3, 4, 0, 4, 7, 6, 5, 6, 8, 5, 6, 4, 4, 1,
    2, 4, 1, 4, 7, 7, 0, 7, 4, 6, 8, 5, 6, 4, 3, 2, 5, 1, 6, 2, 1, 2, 5, 3, 2, 3, 4, 4, 3, 4, 7, 5, 0, 5, 8,
    4, 4, 2, 2, 2, 3, 3, 0, 3, 5, 5, 1, 5, 7, 5, 6, 5, 8, 3, 2, 4, 1, 4, 7, 7, 6, 7, 0, 6, 4, 5, 5, 4, 3, 2,
    8, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 2, 0, 2, 5, 7, 3, 7, 8, 6, 7, 5, 6, 4, 4,
    3, 2, 2, 6, 3, 2, 3, 4, 4, 0, 4, 7, 6, 3, 6, 8, 5, 5, 4, 1, 1, 7, 6, 6, 6, 5, 7, 3, 7, 8, 6, 1, 4, 4, 3,
    0, 2, 2, 1, 2, 3, 0, 3, 5, 4, 1, 4, 8, 6, 7, 6, 3, 5, 6, 4, 4, 1, 5, 7, 3, 7, 8, 7, 7, 7, 1, 5, 0, 4, 6,
    3, 2, 2, 4, 1, 6, 2, 1, 2, 4, 3, 2, 3, 7, 6, 0, 6, 3, 5, 8, 4, 5, 3, 1, 4, 0, 4, 8, 7, 3, 7, 7, 6, 5, 5,
    2, 4, 4, 2, 6, 1, 6, 4, 0, 4, 5, 7, 3, 7, 8, 6, 1, 5, 7, 4, 2, 2, 4, 1, 2, 2, 0, 2, 5, 4, 1, 4, 6, 6, 3,
    6, 7, 5, 8, 4, 4, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 3, 1, 3, 6, 5, 3, 5, 7, 6,
    4, 6, 8, 5, 5, 3, 0, 1, 3, 4, 2, 4, 7, 7, 0, 7, 4, 6, 8, 5, 6, 4, 5, 2, 1, 1, 1, 2, 0, 2, 6, 5, 4, 5, 7,
    6, 3, 6, 8, 5, 5, 3, 2, 2, 2, 4, 1, 4, 7, 7, 0, 7, 4, 6, 6, 5, 8, 4, 3, 2, 5, 1, 2, 2, 1, 2, 5, 3, 0, 3,
    4, 4, 3, 4, 8, 5, 7, 5, 6, 4, 4, 7, 0, 7, 8, 7, 7, 7, 2, 5, 6, 4, 3, 3, 1, 2, 5, 1, 5, 2, 1, 2, 8, 7, 7,
    7, 0, 6, 4, 5, 3, 4, 2, 3, 6, 2, 2, 2, 1, 2, 8, 3, 0, 3, 6, 4, 5, 4, 4, 5, 3, 5, 7, 4, 2, 2, 1, 2, 5, 3,
    0, 3, 7, 6, 4, 6, 6, 5, 3, 4, 8, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 3, 1, 3, 8,
    7, 3, 7, 5, 6, 7, 5, 4, 4, 6, 3, 0, 1, 2, 4, 0, 4, 8, 7, 3, 7, 7, 6, 5, 5, 4, 4, 6, 2, 1, 1, 5, 7, 3, 7,
    8, 7, 7, 7, 4, 5, 1, 4, 6, 3, 0, 2, 2, 1, 6, 2, 1, 2, 2, 3, 0, 3, 8, 6, 7, 6, 3, 5, 5, 4, 4, 3, 5, 7, 3,
    7, 8, 7, 7, 7, 1, 5, 2, 4, 0, 3, 4, 2, 6, 1, 5, 3, 2, 3, 8, 7, 7, 7, 3, 6, 4, 5, 0, 4, 6, 3, 1, 1, 5, 7,
    3, 7, 8, 7, 7, 7, 2, 5, 0, 4, 4, 3, 1, 2, 6, 1, 3, 7, 0, 7, 8, 7, 5, 7, 7, 5, 1, 4, 4, 3, 6, 2, 2, 1, 2,
    2, 1, 2, 4, 4, 0, 4, 7, 6, 3, 6, 5, 5, 8, 4, 6, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    6, 6, 4, 6, 5, 7, 3, 7, 8, 6, 1, 4, 0, 3, 7, 2, 2, 1, 2, 2, 1, 2, 6, 4, 0, 4, 4, 6, 3, 6, 5, 5, 8, 4, 7,
    2, 1, 4, 0, 4, 5, 7, 3, 7, 6, 6, 4, 5, 8, 4, 7, 2, 2, 1, 7, 2, 2, 2, 1, 3, 0, 3, 5, 4, 4, 4, 6, 5, 3, 5,
    8, 4, 4, 2, 2, 2, 5, 7, 3, 7, 8, 6, 1, 5, 0, 4, 6, 3, 7, 2, 7, 2, 2, 2, 6, 3, 1, 3, 5, 4, 0, 4, 4, 5, 3,
    5, 8, 4, 4, 2, 2, 2, 3, 7, 0, 7, 8, 6, 5, 5, 1, 4, 6, 3, 7, 2, 6, 6, 1, 6, 5, 7, 3, 7, 8, 6, 0, 4, 4, 3,
    2, 2, 7, 1, 8, 4, 4, 4, 1, 5, 0, 5, 5, 6, 3, 6, 6, 5, 7, 2, 2, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    0, 0, 0, 0, 0, 8, 2, 2, 2, 1, 3, 0, 3, 6, 6, 5, 6, 4, 5, 7, 4, 3, 3, 3, 3, 2, 3, 6, 7, 0, 7, 4, 6, 5, 5,
    7, 4, 8, 3, 1, 1, 7, 4, 1, 4, 3, 5, 0, 5, 6, 6, 5, 6, 4, 5, 8, 2, 2, 1, 3, 2, 2, 2, 4, 6, 0, 6, 7, 6, 6,
    6, 1, 4, 5, 3, 8, 2, 8, 2, 2, 2, 6, 3, 4, 3, 5, 6, 0, 6, 3, 5, 1, 4, 7, 3, 5, 2, 2, 2, 3, 3, 1, 3, 7, 6,
    0, 6, 4, 5, 6, 4, 8, 3, 2, 2, 1, 2, 6, 3, 4, 3, 7, 6, 0, 6, 5, 5, 3, 4, 8, 3, 3, 7, 0, 7, 6, 7, 5, 7, 1,
    5, 4, 4, 7, 3, 8, 2, 2, 1, 1, 5, 0, 5, 6, 7, 5, 7, 4, 6, 7, 5, 3, 3, 2, 2, 8, 1, 0, 0, 0, 0, 0, 0, 0, 0,
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
};

const std::uint8_t kAicMode2Symbols[20][81] = {
    6,   1,   40,  17,  34,  32,  4,   7,   5,   22,  8,   96,  2,   102, 97,  35,  21,  49,  38,  119, 18,
    16,  66,  33,  114, 80,  136, 130, 39,  36,  68,  64,  98,  85,  24,  19,  83,  82,  100, 70,  65,  81,
    71,  51,  50,  116, 103, 20,  3,   48,  37,  54,  52,  69,  55,  120, 133, 132, 117, 115, 87,  134, 101,
    88,  113, 104, 112, 86,  84,  23,  118, 99,  135, 129, 128, 56,  53,  72,  67,  131, 0,   119, 98,  70,
    51,  104, 82,  24,  5,   49,  37,  66,  4,   81,  68,  64,  50,  85,  65,  38,  36,  48,  39,  87,  54,
    132, 118, 129, 131, 120, 115, 69,  133, 117, 134, 135, 86,  83,  128, 103, 53,  52,  67,  55,  130, 112,
    101, 116, 113, 84,  72,  99,  88,  114, 100, 7,   3,   71,  56,  136, 32,  1,   96,  40,  22,  2,   97,
    80,  19,  8,   35,  23,  102, 20,  6,   33,  21,  16,  0,   34,  18,  17,  16,  1,   36,  18,  136, 131,
    112, 20,  8,   70,  37,  135, 68,  66,  96,  80,  97,  81,  113, 102, 21,  4,   65,  51,  23,  3,   52,
    24,  134, 104, 103, 99,  87,  117, 101, 69,  54,  88,  84,  67,  55,  86,  83,  116, 98,  133, 120, 7,
    5,   53,  19,  132, 100, 85,  118, 115, 71,  56,  82,  72,  17,  0,   33,  32,  130, 40,  129, 128, 49,
    48,  64,  50,  22,  6,   38,  35,  39,  2,   119, 114, 34,  136, 130, 80,  71,  116, 67,  118, 117, 104,
    36,  0,   55,  48,  84,  68,  100, 88,  54,  52,  101, 64,  6,   3,   32,  23,  8,   4,   72,  69,  135,
    132, 113, 133, 120, 128, 115, 7,   134, 99,  87,  112, 103, 119, 114, 131, 129, 50,  40,  24,  5,   66,
    56,  82,  20,  2,   37,  35,  102, 86,  83,  98,  96,  53,  51,  70,  65,  33,  18,  16,  1,   38,  19,
    97,  34,  22,  39,  21,  85,  49,  81,  17,  19,  16,  39,  20,  102, 68,  65,  83,  70,  37,  24,  53,
    51,  104, 99,  136, 113, 52,  36,  80,  71,  55,  8,   72,  69,  130, 116, 112, 132, 118, 48,  4,   87,
    67,  131, 120, 134, 133, 115, 7,   128, 117, 135, 101, 86,  3,   0,   32,  6,   114, 82,  49,  98,  96,
    33,  21,  81,  34,  22,  18,  2,   1,   35,  23,  85,  119, 100, 88,  84,  129, 103, 54,  5,   64,  56,
    40,  38,  66,  50,  97,  17,  34,  17,  35,  19,  50,  37,  114, 69,  64,  87,  80,  3,   0,   48,  8,
    134, 117, 128, 104, 67,  4,   71,  7,   72,  101, 88,  133, 132, 120, 100, 103, 99,  116, 115, 6,   5,
    68,  55,  135, 131, 70,  66,  84,  83,  24,  23,  54,  52,  102, 85,  56,  36,  86,  65,  2,   1,   32,
    20,  22,  18,  97,  39,  38,  21,  49,  40,  33,  136, 130, 98,  96,  118, 112, 51,  16,  82,  53,  113,
    81,  129, 119, 22,  18,  97,  34,  81,  33,  21,  82,  49,  85,  129, 102, 70,  66,  98,  84,  20,  1,
    37,  35,  39,  19,  86,  65,  53,  51,  88,  83,  38,  16,  50,  40,  132, 119, 67,  0,   104, 71,  133,
    69,  52,  87,  80,  5,   3,   55,  48,  135, 134, 118, 8,   7,   128, 117, 112, 115, 4,   120, 116, 99,
    72,  113, 103, 130, 101, 23,  6,   36,  32,  136, 131, 96,  68,  64,  114, 100, 24,  2,   56,  54,  17,
    102, 1,   20,  3,   36,  35,  98,  8,   4,   53,  32,  114, 99,  88,  112, 104, 72,  69,  84,  83,  38,
    37,  101, 68,  19,  5,   81,  65,  97,  22,  18,  16,  6,   40,  39,  96,  64,  50,  86,  82,  23,  0,
    49,  24,  115, 48,  117, 116, 136, 132, 131, 134, 128, 133, 67,  56,  135, 71,  118, 113, 80,  55,  120,
    87,  130, 119, 103, 51,  7,   54,  52,  129, 70,  66,  100, 85,  21,  2,   34,  33,  17,  34,  0,   17,
    1,   32,  8,   136, 98,  39,  2,   7,   6,   33,  18,  40,  135, 102, 50,  48,  56,  51,  21,  20,  37,
    23,  38,  36,  96,  66,  120, 113, 132, 129, 68,  35,  82,  80,  128, 112, 53,  19,  72,  70,  131, 81,
    64,  100, 97,  85,  71,  116, 88,  24,  3,   65,  49,  115, 104, 67,  54,  87,  69,  133, 86,  84,  103,
    101, 118, 117, 55,  52,  99,  83,  134, 119, 114, 5,   4,   22,  16,  130, 34,  18,  39,  33,  20,  1,
    32,  21,  98,  2,   0,   22,  16,  96,  23,  114, 102, 40,  7,   6,   24,  19,  130, 85,  64,  120, 113,
    37,  35,  50,  49,  66,  38,  97,  82,  36,  8,   80,  68,  119, 55,  52,  99,  87,  135, 132, 128, 134,
    131, 69,  54,  133, 115, 112, 104, 129, 116, 51,  3,   56,  53,  136, 86,  84,  118, 117, 70,  67,  83,
    72,  100, 81,  88,  71,  103, 101, 5,   4,   65,  48,  17,  68,  64,  102, 96,  35,  22,  50,  48,  7,
    6,   24,  20,  134, 80,  71,  117, 85,  51,  49,  65,  53,  128, 112, 132, 131, 120, 113, 135, 129, 119,
    18,  56,  37,  82,  81,  8,   1,   23,  21,  88,  84,  104, 103, 52,  19,  72,  70,  4,   3,   54,  5,
    133, 86,  69,  101, 87,  115, 67,  55,  99,  83,  100, 97,  118, 116, 36,  16,  98,  66,  33,  17,  2,
    0,   38,  32,  136, 40,  39,  130, 114, 34,  40,  39,  113, 112, 135, 120, 130, 34,  119, 114, 7,   1,
    20,  8,   129, 102, 98,  128, 117, 64,  37,  81,  80,  2,   0,   38,  32,  66,  36,  82,  68,  22,  16,
    35,  23,  100, 96,  134, 131, 70,  65,  85,  84,  72,  71,  88,  86,  24,  4,   53,  49,  87,  56,  52,
    3,   99,  83,  103, 19,  5,   54,  51,  115, 97,  67,  55,  104, 101, 69,  133, 118, 116, 21,  6,   50,
    48,  132, 18,  17,  136, 33,  130, 39,  8,   7,   22,  16,  98,  118, 116, 80,  65,  134, 103, 21,  20,
    56,  23,  64,  35,  97,  66,  17,  2,   38,  32,  114, 119, 40,  18,  1,   96,  36,  136, 82,  68,  117,
    100, 37,  6,   50,  48,  85,  81,  104, 88,  70,  51,  72,  71,  67,  55,  86,  84,  19,  3,   53,  52,
    133, 115, 101, 99,  69,  54,  87,  83,  131, 128, 5,   4,   49,  24,  132, 112, 102, 135, 129, 33,  0,
    120, 113, 34,  132, 129, 50,  37,  134, 131, 16,  4,   35,  20,  98,  38,  112, 102, 66,  36,  100, 68,
    135, 117, 113, 133, 128, 85,  82,  103, 97,  80,  72,  88,  81,  24,  21,  56,  48,  51,  49,  101, 65,
    5,   3,   19,  8,   55,  54,  83,  67,  96,  115, 104, 99,  87,  69,  53,  86,  84,  120, 118, 64,  52,
    71,  70,  6,   1,   23,  7,   119, 40,  2,   0,   18,  17,  136, 114, 39,  32,  22,  116, 33,  130, 34,
    119, 18,  129, 120, 114, 56,  51,  80,  68,  35,  1,   49,  37,  52,  19,  55,  53,  134, 88,  85,  115,
    104, 67,  4,   84,  83,  100, 70,  101, 99,  87,  69,  103, 5,   3,   86,  54,  98,  82,  131, 102, 66,
    50,  128, 113, 16,  8,   36,  22,  135, 24,  23,  71,  65,  7,   6,   21,  20,  117, 116, 133, 118, 81,
    72,  97,  96,  64,  48,  132, 112, 34,  130, 40,  33,  17,  2,   0,   38,  32,  39,  136, 114, 39,  135,
    129, 66,  51,  82,  80,  22,  8,   49,  35,  2,   0,   120, 32,  130, 136, 40,  56,  50,  113, 98,  36,
    16,  48,  38,  100, 97,  118, 117, 68,  24,  88,  85,  84,  72,  69,  67,  87,  70,  115, 53,  52,  55,
    54,  4,   3,   19,  5,   133, 101, 99,  104, 103, 71,  65,  86,  83,  112, 96,  7,   6,   21,  20,  132,
    131, 128, 102, 81,  134, 116, 23,  1,   64,  37,  18,  17,  119, 33,  34,  39,  33,  136, 114, 40,  18,
    17,  131, 119, 130, 128, 120, 37,  36,  56,  50,  8,   1,   24,  22,  32,  2,   38,  35,  129, 116, 134,
    132, 16,  0,   98,  97,  4,   3,   19,  6,   118, 88,  81,  100, 96,  49,  23,  65,  53,  68,  66,  112,
    102, 51,  21,  72,  64,  135, 101, 85,  103, 99,  84,  7,   87,  86,  70,  69,  80,  71,  115, 104, 48,
    20,  83,  67,  117, 113, 82,  52,  5,   55,  54,  133, 34,  33,  20,  50,  39,  16,  114, 103, 130, 119,
    68,  64,  84,  69,  65,  55,  104, 86,  8,   1,   36,  19,  120, 72,  4,   3,   67,  5,   129, 37,  7,
    71,  53,  52,  6,   70,  54,  136, 132, 131, 117, 116, 118, 115, 134, 133, 112, 101, 128, 113, 87,  83,
    135, 99,  81,  80,  35,  24,  51,  49,  97,  18,  98,  34,  2,   0,   23,  21,  102, 85,  66,  100, 88,
    38,  32,  56,  48,  40,  22,  96,  82,  17,  97,  21,  39,  37,  50,  40,  6,   1,   36,  23,  120, 117,
    135, 128, 133, 8,   7,   115, 112, 72,  71,  132, 131, 129, 113, 136, 134, 118, 116, 48,  4,   67,  55,
    130, 114, 103, 32,  3,   87,  69,  119, 82,  54,  65,  56,  104, 88,  5,   0,   52,  51,  85,  38,  96,
    86,  17,  102, 22,  100, 81,  16,  2,   35,  24,  98,  84,  83,  101, 99,  64,  53,  80,  66,  49,  19,
    70,  68,  20,  18,  34,  33,  34,  33,  18,  1,   22,  21,  130, 136, 135, 66,  64,  96,  68,  6,   5,
    49,  16,  102, 97,  131, 118, 38,  37,  114, 39,  129, 17,  70,  65,  132, 98,  19,  2,   36,  32,  128,
    117, 101, 99,  104, 84,  55,  7,   87,  48,  80,  82,  72,  115, 103, 116, 85,  83,  71,  88,  86,  52,
    4,   67,  56,  112, 100, 23,  0,   69,  54,  120, 134, 133, 51,  50,  81,  53,  8,   3,   24,  20,  40,
    35,  119, 113,
};

const std::uint8_t kAicMode2Lengths[20][81] = {
    5,  5,  5,  5,  3,  6,  6,  8,  8,  8,  8,  6,  4,  7,  7,  9,  9,  9,  9,  7,  7,  7,  7,  7,  8,  8,
    8,  8,  8,  8,  8,  8,  9,  9,  11, 11, 11, 11, 9,  9,  9,  9,  9,  10, 10, 10, 10, 10, 10, 10, 10, 14,
    14, 14, 14, 12, 13, 13, 15, 15, 14, 13, 12, 12, 12, 12, 11, 11, 13, 13, 13, 13, 11, 10, 10, 12, 12, 12,
    12, 10, 1,  8,  8,  10, 10, 10, 10, 10, 10, 10, 10, 8,  8,  8,  8,  9,  9,  9,  9,  9,  9,  9,  9,  13,
    13, 13, 13, 11, 12, 12, 14, 14, 15, 15, 14, 12, 11, 11, 11, 11, 12, 12, 12, 12, 10, 12, 12, 12, 12, 12,
    12, 12, 12, 9,  9,  11, 11, 11, 11, 9,  6,  6,  6,  6,  5,  5,  7,  7,  9,  9,  9,  9,  7,  7,  7,  7,
    7,  4,  4,  4,  4,  1,  7,  7,  7,  7,  5,  8,  8,  10, 10, 10, 10, 8,  8,  8,  8,  8,  9,  9,  9,  9,
    9,  9,  9,  9,  12, 12, 12, 12, 10, 13, 13, 14, 14, 14, 14, 13, 13, 13, 13, 12, 12, 12, 12, 10, 10, 10,
    10, 11, 11, 11, 11, 9,  11, 11, 11, 11, 11, 11, 11, 11, 5,  5,  5,  5,  4,  4,  6,  6,  8,  8,  8,  8,
    8,  8,  8,  8,  6,  6,  6,  6,  1,  9,  9,  11, 11, 13, 13, 13, 13, 11, 11, 11, 11, 11, 9,  9,  9,  9,
    10, 10, 10, 10, 10, 10, 10, 10, 12, 12, 12, 12, 10, 12, 12, 13, 13, 15, 15, 14, 13, 12, 12, 12, 12, 10,
    10, 10, 10, 7,  7,  9,  9,  9,  9,  7,  8,  8,  8,  8,  6,  8,  8,  8,  8,  8,  8,  8,  8,  5,  5,  7,
    7,  7,  7,  5,  4,  4,  6,  6,  6,  6,  4,  1,  7,  7,  7,  7,  5,  9,  9,  9,  9,  9,  9,  9,  9,  11,
    11, 11, 11, 11, 11, 11, 11, 12, 12, 12, 12, 10, 13, 13, 13, 13, 13, 13, 13, 13, 12, 12, 14, 14, 15, 15,
    15, 15, 12, 9,  9,  11, 11, 11, 11, 9,  7,  7,  7,  7,  5,  5,  5,  5,  4,  4,  8,  8,  8,  8,  6,  8,
    8,  10, 10, 10, 10, 10, 10, 10, 10, 8,  8,  8,  8,  4,  1,  2,  2,  7,  7,  7,  7,  5,  12, 12, 12, 12,
    12, 12, 12, 12, 11, 11, 12, 12, 13, 13, 14, 14, 13, 10, 10, 10, 10, 9,  9,  11, 11, 11, 11, 11, 11, 11,
    11, 8,  8,  10, 10, 10, 10, 10, 10, 10, 10, 7,  7,  9,  9,  9,  9,  9,  9,  9,  9,  5,  5,  5,  5,  6,
    6,  6,  6,  4,  6,  6,  8,  8,  8,  8,  8,  8,  8,  8,  6,  6,  6,  6,  5,  5,  5,  5,  3,  6,  6,  6,
    6,  4,  7,  7,  9,  9,  9,  9,  9,  9,  9,  9,  7,  7,  7,  7,  8,  8,  8,  8,  8,  8,  8,  8,  11, 11,
    13, 13, 13, 13, 11, 11, 11, 11, 11, 12, 12, 12, 12, 10, 12, 12, 15, 15, 15, 15, 13, 14, 14, 14, 14, 12,
    12, 12, 12, 9,  9,  11, 11, 11, 11, 9,  8,  8,  10, 10, 10, 10, 10, 10, 10, 10, 1,  5,  5,  9,  9,  9,
    9,  7,  11, 11, 11, 11, 9,  11, 11, 11, 11, 11, 11, 11, 11, 9,  9,  9,  9,  7,  7,  7,  7,  3,  4,  4,
    8,  8,  8,  8,  6,  10, 10, 10, 10, 10, 10, 10, 10, 14, 14, 14, 14, 12, 13, 13, 14, 14, 13, 12, 12, 12,
    12, 11, 11, 13, 13, 13, 13, 11, 10, 10, 12, 12, 12, 12, 10, 8,  8,  8,  8,  6,  6,  6,  6,  1,  2,  2,
    5,  5,  7,  7,  7,  7,  5,  3,  6,  6,  6,  6,  4,  8,  8,  10, 10, 10, 10, 10, 10, 10, 10, 8,  8,  8,
    8,  9,  9,  9,  9,  9,  9,  9,  9,  10, 10, 12, 12, 12, 12, 10, 10, 10, 10, 10, 11, 11, 11, 11, 11, 11,
    11, 11, 12, 12, 14, 14, 14, 14, 12, 12, 12, 12, 12, 11, 11, 13, 13, 13, 13, 11, 6,  6,  8,  8,  8,  8,
    6,  3,  3,  6,  6,  8,  8,  8,  8,  6,  6,  6,  6,  6,  7,  7,  7,  7,  5,  10, 10, 10, 10, 8,  10, 10,
    10, 10, 10, 10, 10, 10, 8,  8,  8,  8,  9,  9,  9,  9,  7,  13, 13, 13, 13, 11, 12, 12, 13, 13, 14, 14,
    14, 14, 11, 11, 11, 11, 12, 12, 12, 12, 10, 12, 12, 12, 12, 12, 12, 12, 12, 9,  9,  11, 11, 11, 11, 11,
    11, 11, 11, 1,  9,  9,  9,  9,  9,  9,  9,  9,  11, 11, 11, 11, 9,  11, 11, 11, 11, 11, 11, 11, 11, 9,
    9,  9,  9,  7,  7,  7,  7,  6,  6,  10, 10, 10, 10, 10, 10, 10, 10, 12, 12, 12, 12, 12, 12, 12, 12, 13,
    13, 13, 13, 11, 14, 14, 14, 14, 12, 13, 13, 13, 13, 10, 10, 10, 10, 8,  8,  8,  8,  5,  5,  7,  7,  7,
    7,  5,  4,  4,  4,  4,  1,  4,  4,  6,  6,  6,  6,  4,  2,  3,  3,  9,  9,  9,  9,  7,  9,  9,  9,  9,
    9,  9,  9,  9,  7,  7,  7,  7,  8,  8,  8,  8,  8,  8,  8,  8,  10, 10, 10, 10, 10, 10, 10, 10, 11, 11,
    11, 11, 11, 11, 11, 11, 12, 12, 14, 14, 14, 14, 12, 12, 12, 12, 12, 11, 11, 13, 13, 14, 14, 13, 11, 8,
    8,  10, 10, 10, 10, 8,  5,  5,  5,  5,  5,  5,  9,  9,  9,  9,  7,  9,  9,  11, 11, 11, 11, 11, 11, 11,
    11, 9,  9,  9,  9,  7,  7,  7,  7,  3,  4,  4,  8,  8,  8,  8,  6,  10, 10, 10, 10, 10, 10, 10, 10, 12,
    12, 12, 12, 12, 12, 12, 12, 13, 13, 13, 13, 13, 13, 13, 13, 12, 12, 13, 13, 14, 14, 14, 14, 10, 10, 12,
    12, 12, 12, 10, 8,  8,  8,  8,  6,  6,  6,  6,  1,  7,  7,  9,  9,  9,  9,  9,  9,  9,  9,  7,  7,  7,
    7,  8,  8,  8,  8,  6,  10, 10, 10, 10, 10, 10, 10, 10, 11, 11, 11, 11, 11, 11, 11, 11, 12, 12, 12, 12,
    12, 12, 12, 12, 13, 13, 13, 13, 11, 12, 12, 13, 13, 14, 14, 14, 14, 8,  8,  10, 10, 10, 10, 10, 10, 10,
    10, 5,  5,  7,  7,  7,  7,  5,  4,  4,  6,  6,  6,  6,  4,  1,  6,  6,  6,  6,  4,  9,  9,  9,  9,  9,
    9,  9,  9,  11, 11, 11, 11, 9,  12, 12, 12, 12, 12, 12, 12, 12, 11, 11, 13, 13, 14, 14, 13, 13, 13, 13,
    13, 9,  9,  9,  9,  7,  7,  7,  7,  8,  8,  8,  8,  6,  10, 10, 10, 10, 10, 10, 10, 10, 10, 10, 10, 10,
    10, 10, 10, 10, 8,  8,  8,  8,  2,  3,  3,  5,  5,  7,  7,  7,  7,  5,  3,  5,  5,  7,  7,  9,  9,  9,
    9,  9,  9,  9,  9,  7,  7,  7,  7,  3,  4,  4,  8,  8,  8,  8,  8,  8,  8,  8,  11, 11, 11, 11, 11, 11,
    11, 11, 12, 12, 14, 14, 14, 14, 12, 12, 12, 12, 12, 13, 13, 13, 13, 11, 13, 13, 13, 13, 13, 13, 13, 13,
    9,  9,  11, 11, 11, 11, 9,  8,  8,  10, 10, 10, 10, 10, 10, 10, 10, 6,  6,  6,  6,  1,  5,  5,  5,  5,
    3,  6,  6,  6,  6,  4,  7,  7,  9,  9,  9,  9,  9,  9,  9,  9,  7,  7,  7,  7,  8,  8,  8,  8,  8,  8,
    8,  8,  11, 11, 11, 11, 9,  11, 11, 11, 11, 11, 11, 11, 11, 9,  9,  9,  9,  10, 10, 10, 10, 8,  12, 12,
    13, 13, 14, 14, 14, 14, 12, 12, 12, 12, 11, 11, 13, 13, 13, 13, 11, 10, 10, 12, 12, 12, 12, 10, 1,  7,
    7,  7,  7,  5,  9,  9,  9,  9,  9,  9,  9,  9,  10, 10, 10, 10, 10, 10, 10, 10, 11, 11, 13, 13, 13, 13,
    11, 11, 11, 11, 11, 12, 12, 12, 12, 10, 13, 13, 14, 14, 15, 15, 15, 15, 13, 13, 13, 13, 12, 12, 12, 12,
    7,  7,  9,  9,  9,  9,  7,  3,  4,  4,  8,  8,  8,  8,  6,  8,  8,  8,  8,  8,  8,  8,  8,  6,  6,  6,
    6,  1,  4,  4,  8,  8,  8,  8,  8,  8,  8,  8,  13, 13, 14, 14, 13, 13, 13, 13, 13, 12, 12, 12, 12, 11,
    11, 11, 11, 10, 10, 12, 12, 12, 12, 10, 9,  9,  11, 11, 11, 11, 9,  8,  8,  10, 10, 10, 10, 10, 10, 10,
    10, 6,  6,  6,  6,  2,  3,  3,  5,  5,  9,  9,  9,  9,  7,  9,  9,  9,  9,  9,  9,  9,  9,  7,  7,  7,
    7,  5,  5,  5,  5,  2,  2,  7,  7,  7,  7,  5,  7,  7,  9,  9,  9,  9,  9,  9,  9,  9,  7,  7,  7,  7,
    5,  5,  5,  5,  4,  4,  8,  8,  8,  8,  8,  8,  8,  8,  11, 11, 12, 12, 13, 13, 14, 14, 15, 15, 14, 11,
    11, 11, 11, 10, 10, 12, 12, 12, 12, 12, 12, 12, 12, 9,  9,  11, 11, 11, 11, 9,  8,  8,  10, 10, 10, 10,
    10, 10, 10, 10, 6,  6,  6,  6,
};

const std::uint16_t kAicContexts[20] = {
    0, 256, 512, 17, 273, 529, 1297, 1553, 34, 290, 546, 1826, 626, 551, 2082, 642, 552, 274, 278, 545,
};

const std::uint16_t kQuantScale[32] = {
    60,  67,  76,  85,  96,  108, 121, 136, 152, 171,  192,  216,  242,  272,  305,  341,
    383, 432, 481, 544, 606, 683, 767, 854, 963, 1074, 1212, 1392, 1566, 1708, 1978, 2211,
};

const std::uint8_t kChromaQuant[2][32] = {
    0,  1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14, 15, 16, 17, 17, 18, 19, 20,
    20, 21, 22, 22, 23, 23, 24, 24, 25, 25, 0,  0,  0,  1,  2,  3,  4,  5,  6,  7,  8,  9,
    10, 11, 12, 13, 14, 15, 15, 16, 17, 18, 18, 19, 20, 20, 21, 21, 22, 22, 23, 23,
};

const std::uint8_t kLumaDcQuant[2][32] = {
    0,  1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14, 15, 16, 17, 17, 18, 18, 18,
    19, 19, 19, 20, 20, 20, 22, 22, 22, 22, 0,  1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11,
    12, 13, 14, 15, 16, 17, 18, 19, 20, 20, 21, 21, 22, 23, 23, 23, 24, 24, 24, 24,
};

const std::uint8_t kQuantToVlcSet[2][32] = {
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3, 3, 4, 4, 4, 4, 4, 0, 0,
    0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 6, 6, 6, 6, 6,
};

const std::uint8_t kFilterAlpha[32] = {
    128, 128, 128, 128, 128, 128, 128, 128, 128, 128, 122, 96, 75, 59, 47, 37,
    29,  23,  18,  15,  13,  11,  10,  9,   8,   7,   6,   5,  4,  3,  2,  1,
};

const std::uint8_t kFilterBeta[32] = {
    0, 0, 0, 0, 0, 0, 0, 0, 3, 3, 3, 4, 4, 4, 6, 6, 6, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 13, 14, 15, 16, 17,
};

const std::uint8_t kFilterClip[3][32] = {
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3, 4, 5, 5,
    0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 4, 4, 5, 5, 5, 7, 8, 9,
};

const std::uint8_t kDitherLeft[16] = {
    64, 80, 32, 96, 48, 80, 64, 48, 80, 64, 80, 48, 96, 32, 80, 64,
};

const std::uint8_t kDitherRight[16] = {
    64, 48, 96, 32, 80, 48, 48, 64, 64, 64, 80, 48, 32, 96, 48, 64,
};

const int kStandardWidths[8] = {
    160, 172, 240, 320, 352, 640, 704, 0,
};

const int kStandardHeights[12] = {
    120, 132, 144, 240, 288, 480, -8, -10, 180, 360, 576, 0,
};

const std::uint16_t kMbCountLimits[6] = {
    47, 98, 395, 1583, 6335, 9215,
};

const std::uint8_t kMbAddressBits[6] = {
    6, 7, 9, 11, 13, 14,
};

}  // namespace encoder::rv40::data
