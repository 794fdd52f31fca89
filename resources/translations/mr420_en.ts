<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_GB" sourcelanguage="pl_PL">
<context>
    <name>StringTable</name>
    <message>
        <source>&amp;About MR420...</source>
        <comment>101</comment>
        <translation>&amp;About MR420...</translation>
    </message>
    <message>
        <source>Nie można odczytać ustawień.</source>
        <comment>104</comment>
        <translation>Cannot read the settings.</translation>
    </message>
    <message>
        <source>Nie można otworzyć portu COM%d</source>
        <comment>105</comment>
        <translation>Cannot open port COM%d</translation>
    </message>
    <message>
        <source>Wybrany plik rejestracji wyników pomiaru jest niedostępny.</source>
        <comment>106</comment>
        <translation>The selected measurement registration file is not accessible.</translation>
    </message>
    <message>
        <source>Wybrany plik binarny jest niedostępny.</source>
        <comment>107</comment>
        <translation>The selected binary file is not accessible.</translation>
    </message>
    <message>
        <source>Błąd przy próbie zapisu ustawień.</source>
        <comment>109</comment>
        <translation>Error while writing the settings.</translation>
    </message>
    <message>
        <source>Błąd przy próbie usunięcia zawartości pamięci.</source>
        <comment>116</comment>
        <translation>Error while erasing the memory.</translation>
    </message>
    <message>
        <source>Błąd przy próbie zapisu ustawień.</source>
        <comment>120</comment>
        <translation>Error while writing the settings.</translation>
    </message>
    <message>
        <source>Błąd inicjalizacji DDE.</source>
        <comment>121</comment>
        <translation>DDE initialisation error.</translation>
    </message>
    <message>
        <source>Plik rejestracji pomiarów już istnieje.&#13;
Wybierz Tak aby dopisywać wyniki do poprzednich,&#13;
wybierz Nie aby skasować poprzednią zawartość pliku.</source>
        <comment>122</comment>
        <translation>The measurement registration file already exists.&#13;
Choose Yes to append the results to the previous ones,&#13;
choose No to delete the previous contents of the file.</translation>
    </message>
    <message>
        <source>Wybrany plik binarny jest niedostępny.</source>
        <comment>123</comment>
        <translation>The selected binary file is not accessible.</translation>
    </message>
    <message>
        <source>Plik binarny już istnieje.&#13;
Wybierz Tak aby dopisywać wyniki do poprzednich,&#13;
wybierz Nie aby skasować poprzednią zawartość pliku.</source>
        <comment>124</comment>
        <translation>The binary file already exists.&#13;
Choose Yes to append the results to the previous ones,&#13;
choose No to delete the previous contents of the file.</translation>
    </message>
    <message>
        <source>Chcesz usunąć zawartość pamięci?</source>
        <comment>125</comment>
        <translation>Do you want to erase the memory?</translation>
    </message>
    <message>
        <source>Nie można odnaleźć programu mr420-chart ani Vimo.exe</source>
        <comment>128</comment>
        <translation>Cannot find the program mr420-chart or Vimo.exe</translation>
    </message>
    <message>
        <source>Wybierz przynajmniej jedną wielkość do zapisu.</source>
        <comment>129</comment>
        <translation>Select at least one quantity to record.</translation>
    </message>
    <message>
        <source>Pamięć jest pusta.</source>
        <comment>130</comment>
        <translation>The memory is empty.</translation>
    </message>
    <message>
        <source>Błąd w trakcie przesyłania danych.</source>
        <comment>131</comment>
        <translation>Error during data transfer.</translation>
    </message>
    <message>
        <source>Wybrany plik jest niedostępny.</source>
        <comment>132</comment>
        <translation>The selected file is not accessible.</translation>
    </message>
    <message>
        <source>Nie można odczytać ustawień.</source>
        <comment>133</comment>
        <translation>Cannot read the settings.</translation>
    </message>
    <message>
        <source>Temperatura1</source>
        <comment>145</comment>
        <translation>Temperature1</translation>
    </message>
    <message>
        <source>Temperatura2</source>
        <comment>146</comment>
        <translation>Temperature2</translation>
    </message>
    <message>
        <source>Wilgotność</source>
        <comment>147</comment>
        <translation>Humidity</translation>
    </message>
    <message>
        <source>Rosa</source>
        <comment>148</comment>
        <translation>DewPoint</translation>
    </message>
    <message>
        <source>Para</source>
        <comment>149</comment>
        <translation>Vapour</translation>
    </message>
    <message>
        <source>Ciśnienie</source>
        <comment>150</comment>
        <translation>Pressure</translation>
    </message>
    <message>
        <source>Wynik</source>
        <comment>151</comment>
        <translation>Value</translation>
    </message>
    <message>
        <source>Pomiar</source>
        <comment>152</comment>
        <translation>Measurement</translation>
    </message>
    <message>
        <source>Status</source>
        <comment>153</comment>
        <translation>Status</translation>
    </message>
    <message>
        <source>Temperatura 1</source>
        <comment>154</comment>
        <translation>Temperature 1</translation>
    </message>
    <message>
        <source>Temperatura 2</source>
        <comment>155</comment>
        <translation>Temperature 2</translation>
    </message>
    <message>
        <source>Ciśnienie</source>
        <comment>156</comment>
        <translation>Pressure</translation>
    </message>
    <message>
        <source>Wilgotność względna</source>
        <comment>157</comment>
        <translation>Relative humidity</translation>
    </message>
    <message>
        <source>Punkt rosy</source>
        <comment>158</comment>
        <translation>Dew point</translation>
    </message>
    <message>
        <source>Zawartość pary wodnej</source>
        <comment>159</comment>
        <translation>Water vapour content</translation>
    </message>
    <message>
        <source>Temperatura1 °C</source>
        <comment>160</comment>
        <translation>Temperature1 °C</translation>
    </message>
    <message>
        <source>Temperatura2 °C</source>
        <comment>161</comment>
        <translation>Temperature2 °C</translation>
    </message>
    <message>
        <source>Punkt rosy °C</source>
        <comment>162</comment>
        <translation>Dew point °C</translation>
    </message>
    <message>
        <source>Ciśnienie hPa</source>
        <comment>163</comment>
        <translation>Pressure hPa</translation>
    </message>
    <message>
        <source>Wilgotność %</source>
        <comment>164</comment>
        <translation>Humidity %</translation>
    </message>
    <message>
        <source>Zawartość pary wodnej ppm</source>
        <comment>165</comment>
        <translation>Water vapour content ppm</translation>
    </message>
    <message>
        <source>Data i Godzina</source>
        <comment>166</comment>
        <translation>Date and Time</translation>
    </message>
    <message>
        <source>Nr</source>
        <comment>167</comment>
        <translation>No.</translation>
    </message>
    <message>
        <source>Data i czas</source>
        <comment>168</comment>
        <translation>Date and time</translation>
    </message>
    <message>
        <source>Temp. 1</source>
        <comment>169</comment>
        <translation>Temp. 1</translation>
    </message>
    <message>
        <source>Temp. 2</source>
        <comment>170</comment>
        <translation>Temp. 2</translation>
    </message>
    <message>
        <source>Wilgotność</source>
        <comment>171</comment>
        <translation>Humidity</translation>
    </message>
    <message>
        <source>Ciśnienie</source>
        <comment>172</comment>
        <translation>Pressure</translation>
    </message>
    <message>
        <source>Punkt rosy</source>
        <comment>173</comment>
        <translation>Dew point</translation>
    </message>
    <message>
        <source>Zaw. pary</source>
        <comment>174</comment>
        <translation>Vapour</translation>
    </message>
    <message>
        <source>Temperatura</source>
        <comment>175</comment>
        <translation>Temperature</translation>
    </message>
    <message>
        <source>Panel MR-420 nr</source>
        <comment>189</comment>
        <translation>Panel MR-420 no.</translation>
    </message>
    <message>
        <source>Rejestracja do pliku co</source>
        <comment>190</comment>
        <translation>Registration to file every</translation>
    </message>
    <message>
        <source>Zajęte miejsce w pamięci:</source>
        <comment>193</comment>
        <translation>Memory used:</translation>
    </message>
    <message>
        <source>Proszę czekać...</source>
        <comment>194</comment>
        <translation>Please wait...</translation>
    </message>
    <message>
        <source>Błąd pomiaru</source>
        <comment>195</comment>
        <translation>Measurement error</translation>
    </message>
    <message>
        <source>Pomiar OK</source>
        <comment>196</comment>
        <translation>Measurement OK</translation>
    </message>
    <message>
        <source>Łączność została nawiązana. Trwa odczyt ustawień. </source>
        <comment>197</comment>
        <translation>Connection established. Reading the settings. </translation>
    </message>
    <message>
        <source>Brak komunikacji z panelem. </source>
        <comment>198</comment>
        <translation>No communication with the panel. </translation>
    </message>
    <message>
        <source>Brak pomiarów. </source>
        <comment>200</comment>
        <translation>No measurements. </translation>
    </message>
    <message>
        <source>Pomiar OK. </source>
        <comment>201</comment>
        <translation>Measurement OK. </translation>
    </message>
    <message>
        <source>Błąd kalibracji sondy MR411. </source>
        <comment>202</comment>
        <translation>MR411 probe calibration error. </translation>
    </message>
    <message>
        <source>Błąd kalibracji sondy MR466. </source>
        <comment>203</comment>
        <translation>MR466 probe calibration error. </translation>
    </message>
    <message>
        <source>Brak sondy. </source>
        <comment>204</comment>
        <translation>No probe. </translation>
    </message>
    <message>
        <source>Błąd wartości punktu rosy. </source>
        <comment>205</comment>
        <translation>Dew point value error. </translation>
    </message>
    <message>
        <source>Błąd wartości wilgotności bezwzględnej. </source>
        <comment>206</comment>
        <translation>Absolute humidity value error. </translation>
    </message>
    <message>
        <source>Błąd wartości temperatury 1. </source>
        <comment>207</comment>
        <translation>Temperature 1 value error. </translation>
    </message>
    <message>
        <source>Błąd wartości temperatury 2. </source>
        <comment>208</comment>
        <translation>Temperature 2 value error. </translation>
    </message>
    <message>
        <source>Błąd wartości ciśnienia. </source>
        <comment>209</comment>
        <translation>Pressure value error. </translation>
    </message>
    <message>
        <source>Błąd wartości wilgotności względnej. </source>
        <comment>210</comment>
        <translation>Relative humidity value error. </translation>
    </message>
    <message>
        <source>Błąd pomiaru</source>
        <comment>211</comment>
        <translation>Measurement error</translation>
    </message>
    <message>
        <source>PL</source>
        <comment>212</comment>
        <translation>EN</translation>
    </message>
    <message>
        <source>Błąd tworzenia pliku &apos;__memdump.txt&apos;</source>
        <comment>221</comment>
        <translation>Error creating the file &apos;__memdump.txt&apos;</translation>
    </message>
    <message>
        <source>MR420, wersja %d.%02d</source>
        <comment>225</comment>
        <translation>MR420, version %d.%02d</translation>
    </message>
    <message>
        <source>Plik tekstowy (*.txt)|*.txt|Lista CSV (*.csv)|*.csv|Plik programu Vimo (*.qvg)|*.qvg||</source>
        <comment>226</comment>
        <translation>Text file (*.txt)|*.txt|CSV list (*.csv)|*.csv|Vimo file (*.qvg)|*.qvg||</translation>
    </message>
    <message>
        <source>Błąd zapisu do pliku rejestracji</source>
        <comment>227</comment>
        <translation>Registration file write failed</translation>
    </message>
    <message>
        <source>Urządzenie nie istnieje.</source>
        <comment>240</comment>
        <translation>The device does not exist.</translation>
    </message>
    <message>
        <source>To urządzenie nie jest portem szeregowym.</source>
        <comment>241</comment>
        <translation>This device is not a serial port.</translation>
    </message>
    <message>
        <source>Port jest używany przez inny program.</source>
        <comment>242</comment>
        <translation>The port is in use by another program.</translation>
    </message>
    <message>
        <source>Brak uprawnień do urządzenia.</source>
        <comment>243</comment>
        <translation>Access to the device is denied.</translation>
    </message>
    <message>
        <source>Sprawdź, czy adapter jest podłączony i czy wpis [PORTS] pliku ustawień wskazuje właściwe urządzenie.</source>
        <comment>244</comment>
        <translation>Check that the adapter is plugged in and that the [PORTS] entry of the settings file names the right device.</translation>
    </message>
    <message>
        <source>Użytkownik musi należeć do grupy %s, do której należy urządzenie (sudo usermod -aG %s $USER), i zalogować się ponownie.</source>
        <comment>245</comment>
        <translation>The user must belong to the group %s that owns the device (sudo usermod -aG %s $USER) and log in again.</translation>
    </message>
    <message>
        <source>Urządzenie należy do grupy root: reguła udev może nadać mu grupę dialout (zob. README).</source>
        <comment>246</comment>
        <translation>The device belongs to the group root: a udev rule can give it the group dialout (see the README).</translation>
    </message>
    <message>
        <source>Nie można otworzyć portu %s</source>
        <comment>247</comment>
        <translation>Cannot open port %s</translation>
    </message>
    <message>
        <source>Plik %s nie jest plikiem ustawień: program nic w nim nie zapisze i działa z ustawieniami domyślnymi.</source>
        <comment>248</comment>
        <translation>The file %s is not a settings file: the program writes nothing into it and runs with the default settings.</translation>
    </message>
    <message>
        <source>Port jest używany przez PID %d (%s).</source>
        <comment>249</comment>
        <translation>The port is in use by PID %d (%s).</translation>
    </message>
    <message>
        <source>Port należy do usługi %s; zatrzymuje ją: %s</source>
        <comment>250</comment>
        <translation>The port belongs to the service %s; this stops it: %s</translation>
    </message>
    <message>
        <source>Błąd przy próbie ustawienia zegara.</source>
        <comment>300</comment>
        <translation>Error while setting the clock.</translation>
    </message>
    <message>
        <source>Nie można odczytać czasu autowyłączania.</source>
        <comment>301</comment>
        <translation>Cannot read the auto-off time.</translation>
    </message>
    <message>
        <source>Błąd przy próbie ustawienia czasu autowyłączania.</source>
        <comment>302</comment>
        <translation>Error while setting the auto-off time.</translation>
    </message>
    <message>
        <source>Błąd przy próbie zapisu ciśnienia domyślnego.</source>
        <comment>303</comment>
        <translation>Error while writing the default pressure.</translation>
    </message>
    <message>
        <source>Błąd przy próbie zapisu opcji modemu.</source>
        <comment>304</comment>
        <translation>Error while writing the modem options.</translation>
    </message>
    <message>
        <source>Błąd przy próbie ustawienia numeru PIN.</source>
        <comment>305</comment>
        <translation>Error while setting the PIN.</translation>
    </message>
    <message>
        <source>Błąd przy próbie zapisu hasła użytkownika PAP.</source>
        <comment>306</comment>
        <translation>Error while writing the PAP user password.</translation>
    </message>
    <message>
        <source>Błąd przy próbie zapisu progów alarmowych modemu.</source>
        <comment>307</comment>
        <translation>Error while writing the modem alarm thresholds.</translation>
    </message>
    <message>
        <source>Błąd przy próbie zapisu progów alarmowych.</source>
        <comment>308</comment>
        <translation>Error while writing the alarm thresholds.</translation>
    </message>
    <message>
        <source>Błąd przy próbie zapisu ustawień baterii.</source>
        <comment>309</comment>
        <translation>Error while writing the battery settings.</translation>
    </message>
    <message>
        <source>Błąd przy próbie zapisu ustawień alarmowania.</source>
        <comment>310</comment>
        <translation>Error while writing the alarm settings.</translation>
    </message>
    <message>
        <source>Nie można odczytać ustawień wyświetlania.</source>
        <comment>311</comment>
        <translation>Cannot read the display settings.</translation>
    </message>
    <message>
        <source>Błąd przy próbie zapisu ustawień wyświetlania.</source>
        <comment>312</comment>
        <translation>Error while writing the display settings.</translation>
    </message>
    <message>
        <source>Brak włączonej obsługi modemu. Ustawienia nie zostały zapisane.</source>
        <comment>313</comment>
        <translation>The modem handling is not switched on. The settings were not written.</translation>
    </message>
    <message>
        <source>Brak włączonej obsługi modemu.</source>
        <comment>314</comment>
        <translation>The modem handling is not switched on.</translation>
    </message>
    <message>
        <source>Nieprawidłowy format danych.</source>
        <comment>315</comment>
        <translation>Invalid data format.</translation>
    </message>
    <message>
        <source>Ustawiona data powinna być większa niż 1 styczeń 2000.</source>
        <comment>316</comment>
        <translation>The date set should be later than 1 January 2000.</translation>
    </message>
    <message>
        <source>Interwał powinien zawierać się w przedziale od 1min do 44dni 23h 59min.</source>
        <comment>320</comment>
        <translation>The interval should be between 1 min and 44 days 23 h 59 min.</translation>
    </message>
    <message>
        <source>Wpisz wartość opóźnienia z zakresu 0-60</source>
        <comment>321</comment>
        <translation>Enter a delay between 0 and 60</translation>
    </message>
    <message>
        <source>Wpisz adres zapasowego serwera</source>
        <comment>330</comment>
        <translation>Enter the address of the backup server</translation>
    </message>
    <message>
        <source>Wpisz port zapasowego serwera</source>
        <comment>331</comment>
        <translation>Enter the port of the backup server</translation>
    </message>
    <message>
        <source>Wpisz maksymalną liczbę prób zestawienia połączenia w ciągu 24 godzin (1-30)</source>
        <comment>332</comment>
        <translation>Enter the maximum number of connection attempts in 24 hours (1-30)</translation>
    </message>
    <message>
        <source>Funkcje internetowe panelu zostaną odblokowane.
Rejestracja i alarmowanie przez sieć mogą być wykorzystywane.
Proszę zadbać o prawidłowe wpisy w pozostałych polach.</source>
        <comment>333</comment>
        <translation>The panel&apos;s Internet functions will be unblocked.
Recording and alarms over the network can be used.
Please make sure the other fields are filled in correctly.</translation>
    </message>
    <message>
        <source>Funkcje internetowe panelu zostaną zablokowane.
Niezależnie od innych nastaw alarmowanie i rejestracja przez sieć będzie wyłączona.</source>
        <comment>334</comment>
        <translation>The panel&apos;s Internet functions will be blocked.
Whatever the other settings, alarms and recording over the network will be off.</translation>
    </message>
    <message>
        <source>Rejestracja i alarmowanie przez GPRS/Internet są zablokowane niezależnie od innych ustawień</source>
        <comment>335</comment>
        <translation>Recording and alarms over GPRS/Internet are blocked whatever the other settings</translation>
    </message>
    <message>
        <source>Na pewno chcesz zapisać numer PIN?</source>
        <comment>336</comment>
        <translation>Do you really want to write the PIN?</translation>
    </message>
    <message>
        <source>Numer PIN powinien składać się z 4 cyfr.</source>
        <comment>337</comment>
        <translation>The PIN should consist of 4 digits.</translation>
    </message>
    <message>
        <source>Na pewno chcesz zapisać hasło PAP?</source>
        <comment>338</comment>
        <translation>Do you really want to write the PAP password?</translation>
    </message>
    <message>
        <source>Panel MR-420:
wersja oprogramowania:</source>
        <comment>340</comment>
        <translation>MR-420 panel:
firmware version:</translation>
    </message>
    <message>
        <source>numer seryjny:</source>
        <comment>341</comment>
        <translation>serial number:</translation>
    </message>
    <message>
        <source>rozmiar pamięci: %d*256 bajtów</source>
        <comment>342</comment>
        <translation>memory size: %d*256 bytes</translation>
    </message>
    <message>
        <source>ciśnienie domyślne:</source>
        <comment>343</comment>
        <translation>default pressure:</translation>
    </message>
    <message>
        <source>data kalibracji modułu barometru:</source>
        <comment>344</comment>
        <translation>barometer module calibration date:</translation>
    </message>
    <message>
        <source>obsługa modemu MR-420</source>
        <comment>345</comment>
        <translation>MR-420 modem support</translation>
    </message>
    <message>
        <source>Sonda MR-411</source>
        <comment>346</comment>
        <translation>MR-411 probe</translation>
    </message>
    <message>
        <source>Sonda MR-466</source>
        <comment>347</comment>
        <translation>MR-466 probe</translation>
    </message>
    <message>
        <source>wersja:</source>
        <comment>348</comment>
        <translation>version:</translation>
    </message>
    <message>
        <source>data kalibracji:</source>
        <comment>349</comment>
        <translation>calibration date:</translation>
    </message>
    <message>
        <source>Błąd zapisu pliku %s: %s</source>
        <comment>360</comment>
        <translation>Error writing the file %s: %s</translation>
    </message>
    <message>
        <source>Nie wszystkie ustawienia grupy %s nadeszły z panelu: nic nie wypisano.</source>
        <comment>361</comment>
        <translation>Not every setting of the group %s arrived from the panel: nothing was printed.</translation>
    </message>
    <message>
        <source>Nie wszystkie ustawienia grupy %s nadeszły z panelu: nic nie zapisano w panelu.</source>
        <comment>362</comment>
        <translation>Not every setting of the group %s arrived from the panel: nothing was written to the panel.</translation>
    </message>
    <message>
        <source>Ustawienie %s wymaga oprogramowania panelu w wersji %s lub nowszej (panel ma wersję %s): nic nie zapisano w panelu.</source>
        <comment>363</comment>
        <translation>The setting %s needs panel firmware %s or later (the panel has %s): nothing was written to the panel.</translation>
    </message>
    <message>
        <source>Ustawiona data nie może być późniejsza niż 6 lutego 2136, 06:28:15.</source>
        <comment>364</comment>
        <translation>The date set cannot be later than 6 February 2136, 06:28:15.</translation>
    </message>
    <message>
        <source>Znaku „%s” nie ma w stronie kodowej panelu (Windows-1250): wpisz tekst bez niego.</source>
        <comment>365</comment>
        <translation>The character “%s” is not in the panel&apos;s code page (Windows-1250): type the text without it.</translation>
    </message>
    <message>
        <source>sty</source>
        <comment>421</comment>
        <translation>Jan</translation>
    </message>
    <message>
        <source>lut</source>
        <comment>422</comment>
        <translation>Feb</translation>
    </message>
    <message>
        <source>mar</source>
        <comment>423</comment>
        <translation>Mar</translation>
    </message>
    <message>
        <source>kwi</source>
        <comment>424</comment>
        <translation>Apr</translation>
    </message>
    <message>
        <source>maj</source>
        <comment>425</comment>
        <translation>May</translation>
    </message>
    <message>
        <source>cze</source>
        <comment>426</comment>
        <translation>Jun</translation>
    </message>
    <message>
        <source>lip</source>
        <comment>427</comment>
        <translation>Jul</translation>
    </message>
    <message>
        <source>sie</source>
        <comment>428</comment>
        <translation>Aug</translation>
    </message>
    <message>
        <source>wrz</source>
        <comment>429</comment>
        <translation>Sep</translation>
    </message>
    <message>
        <source>paź</source>
        <comment>430</comment>
        <translation>Oct</translation>
    </message>
    <message>
        <source>lis</source>
        <comment>431</comment>
        <translation>Nov</translation>
    </message>
    <message>
        <source>gru</source>
        <comment>432</comment>
        <translation>Dec</translation>
    </message>
    <message>
        <source>Użycie: mr420-chart [--ini PLIK] [--png PLIK] [--svg PLIK] [--csv PLIK] [--from DATA] [--to DATA] PLIK...
Rysuje pliki rejestracji i pamięci (tekst, CSV, .qvg) na wspólnej osi czasu;
bez pliku pyta o pliki. DATA: RRRR-MM-DD lub RRRR-MM-DDTGG:MM[:SS].
</source>
        <comment>433</comment>
        <translation>Usage: mr420-chart [--ini PATH] [--png FILE] [--svg FILE] [--csv FILE] [--from DATE] [--to DATE] FILE...
Draws registration and memory files (text, CSV, .qvg) on one time axis;
without a file it asks for them. DATE: YYYY-MM-DD or YYYY-MM-DDTHH:MM[:SS].
</translation>
    </message>
    <message>
        <source>%s: nie ma takiego pliku</source>
        <comment>434</comment>
        <translation>%s: no such file</translation>
    </message>
    <message>
        <source>%s: to nie jest plik rejestracji, pamięci ani .qvg</source>
        <comment>435</comment>
        <translation>%s: not a registration, memory or .qvg file</translation>
    </message>
    <message>
        <source>%s: brak odczytów</source>
        <comment>436</comment>
        <translation>%s: no readings</translation>
    </message>
    <message>
        <source>%s: nie można otworzyć (%s)</source>
        <comment>437</comment>
        <translation>%s: cannot be opened (%s)</translation>
    </message>
    <message>
        <source>%s: odczytów: %d</source>
        <comment>438</comment>
        <translation>%s: %d readings</translation>
    </message>
    <message>
        <source>%s, wiersz %d: %s</source>
        <comment>439</comment>
        <translation>%s, line %d: %s</translation>
    </message>
    <message>
        <source>%s, rekord %d: %s</source>
        <comment>440</comment>
        <translation>%s, record %d: %s</translation>
    </message>
    <message>
        <source>%s: pominięto jeszcze %d</source>
        <comment>441</comment>
        <translation>%s: %d more passed over</translation>
    </message>
    <message>
        <source>%s: to nie jest data (RRRR-MM-DD lub RRRR-MM-DDTGG:MM[:SS])</source>
        <comment>442</comment>
        <translation>%s: not a date (YYYY-MM-DD or YYYY-MM-DDTHH:MM[:SS])</translation>
    </message>
    <message>
        <source>%s: nie można zapisać</source>
        <comment>443</comment>
        <translation>%s: cannot be written</translation>
    </message>
    <message>
        <source>Brak odczytów w wybranym przedziale czasu</source>
        <comment>444</comment>
        <translation>No readings in the chosen span</translation>
    </message>
    <message>
        <source>nieznana opcja %s</source>
        <comment>445</comment>
        <translation>unknown option %s</translation>
    </message>
    <message>
        <source>%s wymaga wartości</source>
        <comment>446</comment>
        <translation>%s needs a value</translation>
    </message>
    <message>
        <source>Lewa oś:</source>
        <comment>447</comment>
        <translation>Left axis:</translation>
    </message>
    <message>
        <source>Prawa oś:</source>
        <comment>448</comment>
        <translation>Right axis:</translation>
    </message>
    <message>
        <source>brak</source>
        <comment>449</comment>
        <translation>none</translation>
    </message>
    <message>
        <source>Progi alarmowe</source>
        <comment>450</comment>
        <translation>Alarm thresholds</translation>
    </message>
    <message>
        <source>%s: zapisano</source>
        <comment>451</comment>
        <translation>%s: written</translation>
    </message>
    <message>
        <source>Brak ekranu: podaj --png, --svg lub --csv</source>
        <comment>452</comment>
        <translation>No display: give --png, --svg or --csv</translation>
    </message>
    <message>
        <source>Nie ma takiego pliku ani katalogu</source>
        <comment>501</comment>
        <translation>No such file or directory</translation>
    </message>
    <message>
        <source>Brak dostępu</source>
        <comment>502</comment>
        <translation>Permission denied</translation>
    </message>
    <message>
        <source>To jest katalog</source>
        <comment>503</comment>
        <translation>Is a directory</translation>
    </message>
    <message>
        <source>To nie jest katalog</source>
        <comment>504</comment>
        <translation>Not a directory</translation>
    </message>
    <message>
        <source>Urządzenie lub zasób jest zajęty</source>
        <comment>505</comment>
        <translation>Device or resource busy</translation>
    </message>
    <message>
        <source>Brak miejsca na urządzeniu</source>
        <comment>506</comment>
        <translation>No space left on device</translation>
    </message>
    <message>
        <source>System plików tylko do odczytu</source>
        <comment>507</comment>
        <translation>Read-only file system</translation>
    </message>
    <message>
        <source>Błąd wejścia/wyjścia</source>
        <comment>508</comment>
        <translation>Input/output error</translation>
    </message>
    <message>
        <source>Nie ma takiego urządzenia ani adresu</source>
        <comment>509</comment>
        <translation>No such device or address</translation>
    </message>
    <message>
        <source>Nie ma takiego urządzenia</source>
        <comment>510</comment>
        <translation>No such device</translation>
    </message>
    <message>
        <source>Plik już istnieje</source>
        <comment>511</comment>
        <translation>File exists</translation>
    </message>
    <message>
        <source>Operacja niedozwolona</source>
        <comment>512</comment>
        <translation>Operation not permitted</translation>
    </message>
    <message>
        <source>Zbyt wiele otwartych plików</source>
        <comment>513</comment>
        <translation>Too many open files</translation>
    </message>
    <message>
        <source>Zbyt długa nazwa pliku</source>
        <comment>514</comment>
        <translation>File name too long</translation>
    </message>
    <message>
        <source>Zbyt wiele poziomów dowiązań symbolicznych</source>
        <comment>515</comment>
        <translation>Too many levels of symbolic links</translation>
    </message>
    <message>
        <source>Przekroczono przydział dyskowy</source>
        <comment>516</comment>
        <translation>Disk quota exceeded</translation>
    </message>
    <message>
        <source>Plik jest za duży</source>
        <comment>517</comment>
        <translation>File too large</translation>
    </message>
    <message>
        <source>Zasób chwilowo niedostępny</source>
        <comment>518</comment>
        <translation>Resource temporarily unavailable</translation>
    </message>
    <message>
        <source>Niewłaściwa operacja dla tego urządzenia</source>
        <comment>519</comment>
        <translation>Inappropriate operation for the device</translation>
    </message>
    <message>
        <source>Nieprawidłowy argument</source>
        <comment>520</comment>
        <translation>Invalid argument</translation>
    </message>
    <message>
        <source>Katalog nie jest pusty</source>
        <comment>521</comment>
        <translation>Directory not empty</translation>
    </message>
    <message>
        <source>Brak pamięci</source>
        <comment>522</comment>
        <translation>Cannot allocate memory</translation>
    </message>
    <message>
        <source>Przekroczono czas oczekiwania</source>
        <comment>523</comment>
        <translation>Timed out</translation>
    </message>
    <message>
        <source>Przerwane wywołanie systemowe</source>
        <comment>524</comment>
        <translation>Interrupted system call</translation>
    </message>
</context>
<context>
    <name>Menu</name>
    <message>
        <source>&amp;Program</source>
        <comment>popup 0</comment>
        <translation>&amp;Program</translation>
    </message>
    <message>
        <source>&amp;Widok</source>
        <comment>popup 1</comment>
        <translation>&amp;View</translation>
    </message>
    <message>
        <source>&amp;Ustawienia</source>
        <comment>popup 2</comment>
        <translation>&amp;Settings</translation>
    </message>
    <message>
        <source>P&amp;anel</source>
        <comment>popup 3</comment>
        <translation>P&amp;anel</translation>
    </message>
    <message>
        <source>Pa&amp;mięć</source>
        <comment>popup 4</comment>
        <translation>&amp;Memory</translation>
    </message>
    <message>
        <source>Pomo&amp;c</source>
        <comment>popup 5</comment>
        <translation>&amp;Help</translation>
    </message>
    <message>
        <source>&amp;Uruchom Vimo</source>
        <comment>32795</comment>
        <translation>&amp;Run Vimo</translation>
    </message>
    <message>
        <source>&amp;Zamknij</source>
        <comment>32783</comment>
        <translation>&amp;Close</translation>
    </message>
    <message>
        <source>&amp;Kolory</source>
        <comment>32780</comment>
        <translation>&amp;Colours</translation>
    </message>
    <message>
        <source>&amp;Czcionki</source>
        <comment>32781</comment>
        <translation>&amp;Fonts</translation>
    </message>
    <message>
        <source>&amp;Zawsze na wierzchu</source>
        <comment>32772</comment>
        <translation>Always on &amp;top</translation>
    </message>
    <message>
        <source>&amp;Wykres</source>
        <comment>32803</comment>
        <translation>C&amp;hart</translation>
    </message>
    <message>
        <source>&amp;Port szeregowy</source>
        <comment>32771</comment>
        <translation>&amp;Serial port</translation>
    </message>
    <message>
        <source>&amp;Rejestracja do pliku</source>
        <comment>32773</comment>
        <translation>&amp;Registration to file</translation>
    </message>
    <message>
        <source>&amp;Język</source>
        <comment>32797</comment>
        <translation>&amp;Language</translation>
    </message>
    <message>
        <source>Ustawienia &amp;dodatkowe</source>
        <comment>32801</comment>
        <translation>&amp;Additional settings</translation>
    </message>
    <message>
        <source>&amp;Informacje o panelu</source>
        <comment>32785</comment>
        <translation>Panel &amp;information</translation>
    </message>
    <message>
        <source>&amp;Wyświetlanie</source>
        <comment>32788</comment>
        <translation>&amp;Display</translation>
    </message>
    <message>
        <source>&amp;Data i czas</source>
        <comment>32774</comment>
        <translation>Date and &amp;time</translation>
    </message>
    <message>
        <source>&amp;Ciśnienie domyślne</source>
        <comment>32789</comment>
        <translation>Default &amp;pressure</translation>
    </message>
    <message>
        <source>Czas &amp;autowyłączania</source>
        <comment>32787</comment>
        <translation>A&amp;uto-off time</translation>
    </message>
    <message>
        <source>&amp;Opcje modemu</source>
        <comment>32784</comment>
        <translation>&amp;Modem options</translation>
    </message>
    <message>
        <source>&amp;Progi alarmowe modemu</source>
        <comment>32786</comment>
        <translation>Modem alarm t&amp;hresholds</translation>
    </message>
    <message>
        <source>Zmiana numeru PI&amp;N modemu</source>
        <comment>32791</comment>
        <translation>Change modem PI&amp;N</translation>
    </message>
    <message>
        <source>Zmiana &amp;hasła PAP modemu</source>
        <comment>32793</comment>
        <translation>Change modem P&amp;AP password</translation>
    </message>
    <message>
        <source>Wyświetlanie his&amp;torii na panelu</source>
        <comment>32794</comment>
        <translation>Histor&amp;y display on the panel</translation>
    </message>
    <message>
        <source>&amp;Sygnalizacja przekroczeń</source>
        <comment>32796</comment>
        <translation>&amp;Exceedance signalling</translation>
    </message>
    <message>
        <source>&amp;Bateria</source>
        <comment>32798</comment>
        <translation>&amp;Battery</translation>
    </message>
    <message>
        <source>Sygnalizacja &amp;zaniku zasilania</source>
        <comment>32799</comment>
        <translation>Power &amp;loss signalling</translation>
    </message>
    <message>
        <source>&amp;Odczyt danych</source>
        <comment>32776</comment>
        <translation>&amp;Read data</translation>
    </message>
    <message>
        <source>&amp;Usuń zawartość pamięci</source>
        <comment>32777</comment>
        <translation>&amp;Erase memory</translation>
    </message>
    <message>
        <source>Ustawienia &amp;rejestracji</source>
        <comment>32775</comment>
        <translation>&amp;Logging settings</translation>
    </message>
    <message>
        <source>&amp;Pomoc</source>
        <comment>32778</comment>
        <translation>&amp;Help</translation>
    </message>
    <message>
        <source>Program &amp;VKS</source>
        <comment>32802</comment>
        <translation>&amp;VKS program</translation>
    </message>
    <message>
        <source>&amp;O programie</source>
        <comment>32779</comment>
        <translation>&amp;About</translation>
    </message>
</context>
<context>
    <name>mr420::ChartView</name>
    <message>
        <source>Cały zakres</source>
        <translation>Whole range</translation>
    </message>
    <message>
        <source>Zapisz PNG...</source>
        <translation>Save PNG...</translation>
    </message>
    <message>
        <source>Zapisz SVG...</source>
        <translation>Save SVG...</translation>
    </message>
    <message>
        <source>Drukuj...</source>
        <translation>Print...</translation>
    </message>
</context>
<context>
    <name>mr420::ChartFeature</name>
    <message>
        <source>Wykres</source>
        <translation>Chart</translation>
    </message>
</context>
<context>
    <name>mr420::ColoursDialog</name>
    <message>
        <source>Kolory</source>
        <translation>Colours</translation>
    </message>
    <message>
        <source>Tło</source>
        <translation>Background</translation>
    </message>
    <message>
        <source>Tekst</source>
        <translation>Text</translation>
    </message>
    <message>
        <source>Temperatura 1</source>
        <translation>Temperature 1</translation>
    </message>
    <message>
        <source>Temperatura 2</source>
        <translation>Temperature 2</translation>
    </message>
    <message>
        <source>Wilg. względna</source>
        <translation>Rel. humidity</translation>
    </message>
    <message>
        <source>Ciśnienie</source>
        <translation>Pressure</translation>
    </message>
    <message>
        <source>Punkt rosy</source>
        <translation>Dew point</translation>
    </message>
    <message>
        <source>Zaw. pary wodnej</source>
        <translation>Water vapour</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Anuluj</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>mr420::FontsDialog</name>
    <message>
        <source>Czcionki</source>
        <translation>Fonts</translation>
    </message>
    <message>
        <source>Temperatura 1</source>
        <translation>Temperature 1</translation>
    </message>
    <message>
        <source>Temperatura 2</source>
        <translation>Temperature 2</translation>
    </message>
    <message>
        <source>Wilg. względna</source>
        <translation>Rel. humidity</translation>
    </message>
    <message>
        <source>Ciśnienie</source>
        <translation>Pressure</translation>
    </message>
    <message>
        <source>Punkt rosy</source>
        <translation>Dew point</translation>
    </message>
    <message>
        <source>Zaw. pary wodnej</source>
        <translation>Water vapour</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Anuluj</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>mr420::AboutDialog</name>
    <message>
        <source>O programie</source>
        <translation>About</translation>
    </message>
    <message>
        <source>Odczyt, rejestracja i ustawienia panelu pomiarowego MR420</source>
        <translation>Readings, registration and settings of the MR420 measurement panel</translation>
    </message>
    <message>
        <source>Pomoc programu:</source>
        <translation>The program&apos;s help:</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>mr420::PromotionDialog</name>
    <message>
        <source>Program VKS</source>
        <translation>VKS program</translation>
    </message>
    <message>
        <source>Kliknij, aby uzyskać więcej informacji w pomocy programu</source>
        <translation>Click for more information in the program&apos;s help</translation>
    </message>
    <message>
        <source>Zamknij</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>Rejestracja wilgotności panelem MR420</source>
        <translation>Logging humidity with the MR420 panel</translation>
    </message>
    <message>
        <source>Panel MR420 zapisuje pomiary w swojej pamięci także wtedy, gdy komputer jest wyłączony. Interwał rejestracji i rejestrowane wielkości ustawia się w menu Pamięć, Ustawienia rejestracji.</source>
        <translation>The MR420 panel logs measurements to its own memory even while the computer is off. The logging interval and the quantities logged are set in Memory, Logging settings.</translation>
    </message>
    <message>
        <source>Wilgotność względna zależy od temperatury, dlatego przy jej rejestracji warto zapisywać również temperaturę i punkt rosy: dopiero razem pokazują, czy w pomieszczeniu grozi kondensacja pary wodnej.</source>
        <translation>Relative humidity depends on the temperature, so when logging it, it is worth logging the temperature and the dew point as well: only together do they show whether water vapour may condense in the room.</translation>
    </message>
    <message>
        <source>Zapisane dane odczytuje się poleceniem Pamięć, Odczyt danych i zapisuje jako plik tekstowy, listę CSV lub plik do rysowania wykresów. Bieżące wyniki można też rejestrować na dysku komputera poleceniem Ustawienia, Rejestracja do pliku.</source>
        <translation>The logged data are read with Memory, Read data and saved as a text file, a CSV list or a file for charts. The live readings can also be recorded on the computer&apos;s disk with Settings, Registration to file.</translation>
    </message>
    <message>
        <source>Tego okna można nie pokazywać przy starcie programu: służy do tego polecenie Ustawienia, Ustawienia dodatkowe.</source>
        <translation>This window need not be shown when the program starts: see Settings, Additional settings.</translation>
    </message>
</context>
<context>
    <name>mr420::AdditionalSettingsDialog</name>
    <message>
        <source>Ustawienia dodatkowe</source>
        <translation>Additional settings</translation>
    </message>
    <message>
        <source>Nie pokazuj informacji o oprogramowaniu VKS przy starcie</source>
        <translation>Do not show the VKS software information at start</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Anuluj</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>mr420::ConfigDialog</name>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Anuluj</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>MessageBoxes</name>
    <message>
        <source>&amp;Tak</source>
        <translation>&amp;Yes</translation>
    </message>
    <message>
        <source>&amp;Nie</source>
        <translation>&amp;No</translation>
    </message>
    <message>
        <source>Anuluj</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>mr420::HelpWindow</name>
    <message>
        <source>Pomoc</source>
        <translation>Help</translation>
    </message>
    <message>
        <source>Wstecz</source>
        <translation>Back</translation>
    </message>
    <message>
        <source>Dalej</source>
        <translation>Forward</translation>
    </message>
    <message>
        <source>Spis treści</source>
        <translation>Contents</translation>
    </message>
    <message>
        <source>Otwórz w przeglądarce</source>
        <translation>Open in the browser</translation>
    </message>
</context>
<context>
    <name>mr420-chart</name>
    <message>
        <source>Wybierz pliki do wykresu</source>
        <translation>Choose the files to chart</translation>
    </message>
    <message>
        <source>Pliki pomiarów (*.txt *.csv *.qvg);;Wszystkie pliki (*)</source>
        <translation>Measurement files (*.txt *.csv *.qvg);;All files (*)</translation>
    </message>
</context>
<context>
    <name>mr420::ModemSettingsDialog</name>
    <message>
        <source>Ustawienia modemu</source>
        <translation>Modem settings</translation>
    </message>
    <message>
        <source>Połączenia PPP</source>
        <translation>PPP connections</translation>
    </message>
    <message>
        <source>Rozłączane</source>
        <translation>Dropped</translation>
    </message>
    <message>
        <source>Ciągłe</source>
        <translation>Continuous</translation>
    </message>
    <message>
        <source>Protokół</source>
        <translation>Protocol</translation>
    </message>
    <message>
        <source>TCP</source>
        <translation>TCP</translation>
    </message>
    <message>
        <source>UDP</source>
        <translation>UDP</translation>
    </message>
    <message>
        <source>Urządzenia rejestrujące</source>
        <translation>Recording devices</translation>
    </message>
    <message>
        <source>Pamięć</source>
        <translation>Memory</translation>
    </message>
    <message>
        <source>Modem</source>
        <translation>Modem</translation>
    </message>
    <message>
        <source>Pamięć+Modem</source>
        <translation>Memory+Modem</translation>
    </message>
    <message>
        <source>Alarmowanie</source>
        <translation>Alarms</translation>
    </message>
    <message>
        <source>SMS</source>
        <translation>SMS</translation>
    </message>
    <message>
        <source>Sieć</source>
        <translation>Network</translation>
    </message>
    <message>
        <source>Maksymalna liczba prób zestawienia połączenia w ciągu 24 godzin</source>
        <translation>Maximum number of connection attempts in 24 hours</translation>
    </message>
    <message>
        <source>Nazwa stacji</source>
        <translation>Station name</translation>
    </message>
    <message>
        <source>IP : Port</source>
        <translation>IP : Port</translation>
    </message>
    <message>
        <source>Aktywny zapasowy serwer</source>
        <translation>Backup server active</translation>
    </message>
    <message>
        <source>IP : Port serwera zapasowego</source>
        <translation>Backup server IP : Port</translation>
    </message>
    <message>
        <source>APN</source>
        <translation>APN</translation>
    </message>
    <message>
        <source>PAP login</source>
        <translation>PAP login</translation>
    </message>
    <message>
        <source>Centrala</source>
        <translation>SMS centre</translation>
    </message>
    <message>
        <source>Numer %1</source>
        <translation>Number %1</translation>
    </message>
    <message>
        <source>Zezwolenie na połączenia GPRS/Internet</source>
        <translation>Allow GPRS/Internet connections</translation>
    </message>
</context>
<context>
    <name>mr420::PinDialog</name>
    <message>
        <source>Numer PIN karty SIM</source>
        <translation>SIM card PIN</translation>
    </message>
    <message>
        <source>Numer PIN</source>
        <translation>PIN</translation>
    </message>
</context>
<context>
    <name>mr420::PapPasswordDialog</name>
    <message>
        <source>Zmiana hasła PAP</source>
        <translation>Change PAP password</translation>
    </message>
    <message>
        <source>Hasło użytkownika PAP</source>
        <translation>PAP user password</translation>
    </message>
</context>
<context>
    <name>mr420::ClockDialog</name>
    <message>
        <source>Data i czas</source>
        <translation>Date and time</translation>
    </message>
    <message>
        <source>Data:</source>
        <translation>Date:</translation>
    </message>
    <message>
        <source>Czas:</source>
        <translation>Time:</translation>
    </message>
    <message>
        <source>Czas PC</source>
        <translation>PC time</translation>
    </message>
    <message>
        <source>Ustawienie czasu autowyłączania</source>
        <translation>Auto-off time</translation>
    </message>
    <message>
        <source>Czas autowyłączania</source>
        <translation>Auto-off time</translation>
    </message>
    <message>
        <source>Czas zostanie ustawiony z rozdzielczością 5 sekund</source>
        <translation>The time is set in steps of 5 seconds</translation>
    </message>
    <message>
        <source>Ustawienie ciśnienia domyślnego</source>
        <translation>Default pressure</translation>
    </message>
    <message>
        <source>Ciśnienie domyślne</source>
        <translation>Default pressure</translation>
    </message>
    <message>
        <source>hPa</source>
        <translation>hPa</translation>
    </message>
    <message>
        <source>Ciśnienie zostanie zapisane z rozdzielczością 2 hPa</source>
        <translation>The pressure is written in steps of 2 hPa</translation>
    </message>
</context>
<context>
    <name>mr420::AutoOffDialog</name>
    <message>
        <source>Data i czas</source>
        <translation>Date and time</translation>
    </message>
    <message>
        <source>Data:</source>
        <translation>Date:</translation>
    </message>
    <message>
        <source>Czas:</source>
        <translation>Time:</translation>
    </message>
    <message>
        <source>Czas PC</source>
        <translation>PC time</translation>
    </message>
    <message>
        <source>Ustawienie czasu autowyłączania</source>
        <translation>Auto-off time</translation>
    </message>
    <message>
        <source>Czas autowyłączania</source>
        <translation>Auto-off time</translation>
    </message>
    <message>
        <source>Czas zostanie ustawiony z rozdzielczością 5 sekund</source>
        <translation>The time is set in steps of 5 seconds</translation>
    </message>
    <message>
        <source>Ustawienie ciśnienia domyślnego</source>
        <translation>Default pressure</translation>
    </message>
    <message>
        <source>Ciśnienie domyślne</source>
        <translation>Default pressure</translation>
    </message>
    <message>
        <source>hPa</source>
        <translation>hPa</translation>
    </message>
    <message>
        <source>Ciśnienie zostanie zapisane z rozdzielczością 2 hPa</source>
        <translation>The pressure is written in steps of 2 hPa</translation>
    </message>
</context>
<context>
    <name>mr420::DefaultPressureDialog</name>
    <message>
        <source>Data i czas</source>
        <translation>Date and time</translation>
    </message>
    <message>
        <source>Data:</source>
        <translation>Date:</translation>
    </message>
    <message>
        <source>Czas:</source>
        <translation>Time:</translation>
    </message>
    <message>
        <source>Czas PC</source>
        <translation>PC time</translation>
    </message>
    <message>
        <source>Ustawienie czasu autowyłączania</source>
        <translation>Auto-off time</translation>
    </message>
    <message>
        <source>Czas autowyłączania</source>
        <translation>Auto-off time</translation>
    </message>
    <message>
        <source>Czas zostanie ustawiony z rozdzielczością 5 sekund</source>
        <translation>The time is set in steps of 5 seconds</translation>
    </message>
    <message>
        <source>Ustawienie ciśnienia domyślnego</source>
        <translation>Default pressure</translation>
    </message>
    <message>
        <source>Ciśnienie domyślne</source>
        <translation>Default pressure</translation>
    </message>
    <message>
        <source>hPa</source>
        <translation>hPa</translation>
    </message>
    <message>
        <source>Ciśnienie zostanie zapisane z rozdzielczością 2 hPa</source>
        <translation>The pressure is written in steps of 2 hPa</translation>
    </message>
</context>
<context>
    <name>PortDialog</name>
    <message>
        <source>Aktualnie używany port: COM%1</source>
        <translation>Port in use: COM%1</translation>
    </message>
    <message>
        <source>Aktualnie żaden port nie jest używany</source>
        <translation>No port is in use</translation>
    </message>
    <message>
        <source>Anuluj</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Nie wybrano żadnego portu.</source>
        <translation>No port was selected.</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Porty</source>
        <translation>Ports</translation>
    </message>
    <message>
        <source>Proszę czekać</source>
        <translation>Please wait</translation>
    </message>
    <message>
        <source>Wybierz port:</source>
        <translation>Select a port:</translation>
    </message>
</context>
<context>
    <name>RegistrationDialog</name>
    <message>
        <source>Anuluj</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Dodaj komentarz przy rozpoczęciu rejestracji:</source>
        <translation>Add a comment when registration starts:</translation>
    </message>
    <message>
        <source>Dodaj numer seryjny panelu do komentarza</source>
        <translation>Add the panel serial number to the comment</translation>
    </message>
    <message>
        <source>Interwał rejestracji</source>
        <translation>Registration interval</translation>
    </message>
    <message>
        <source>Lista CSV (*.csv)</source>
        <translation>CSV list (*.csv)</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Plik binarny (*.qvg)</source>
        <translation>Binary file (*.qvg)</translation>
    </message>
    <message>
        <source>Plik tekstowy (*.txt)</source>
        <translation>Text file (*.txt)</translation>
    </message>
    <message>
        <source>Pomiar</source>
        <translation>Measurement</translation>
    </message>
    <message>
        <source>Rejestracja do pliku</source>
        <translation>Registration to file</translation>
    </message>
    <message>
        <source>Rejestruj do pliku binarnego (używany do rysowania wykresu)</source>
        <translation>Register to a binary file (used for charts)</translation>
    </message>
    <message>
        <source>Rejestruj wyniki pomiarów</source>
        <translation>Register the measurements</translation>
    </message>
    <message>
        <source>Separator kolumn:</source>
        <translation>Column separator:</translation>
    </message>
    <message>
        <source>W pliku</source>
        <translation>In file</translation>
    </message>
    <message>
        <source>Wybierz plik binarny</source>
        <translation>Choose the binary file</translation>
    </message>
    <message>
        <source>Wybierz plik raportu</source>
        <translation>Choose the report file</translation>
    </message>
    <message>
        <source>Tabulator</source>
        <translation>Tab</translation>
    </message>
    <message>
        <source>Przecinek</source>
        <translation>Comma</translation>
    </message>
    <message>
        <source>Średnik</source>
        <translation>Semicolon</translation>
    </message>
    <message>
        <source>Temperatura 1</source>
        <translation>Temperature 1</translation>
    </message>
    <message>
        <source>Temperatura 2</source>
        <translation>Temperature 2</translation>
    </message>
    <message>
        <source>Wilgotność względna</source>
        <translation>Relative humidity</translation>
    </message>
    <message>
        <source>Punkt rosy</source>
        <translation>Dew point</translation>
    </message>
    <message>
        <source>Zawartość pary wodnej</source>
        <translation>Water vapour content</translation>
    </message>
    <message>
        <source>Ciśnienie</source>
        <translation>Pressure</translation>
    </message>
</context>
<context>
    <name>mr420::DisplayFlagsDialog</name>
    <message>
        <source>Ustawienia flag wyświetlania panelu</source>
        <translation>Panel display flag settings</translation>
    </message>
    <message>
        <source>Pole numer 3</source>
        <translation>Field number 3</translation>
    </message>
    <message>
        <source>Pole numer 4</source>
        <translation>Field number 4</translation>
    </message>
    <message>
        <source>Punkt rosy</source>
        <translation>Dew point</translation>
    </message>
    <message>
        <source>Ciśnienie</source>
        <translation>Pressure</translation>
    </message>
    <message>
        <source>Zegar</source>
        <translation>Clock</translation>
    </message>
    <message>
        <source>Zawartość pary wodnej</source>
        <translation>Water vapour content</translation>
    </message>
    <message>
        <source>Jednostka ciśnienia</source>
        <translation>Pressure unit</translation>
    </message>
    <message>
        <source>hPa</source>
        <translation>hPa</translation>
    </message>
    <message>
        <source>mmHg</source>
        <translation>mmHg</translation>
    </message>
    <message>
        <source>Rozdzielczość temperatury</source>
        <translation>Temperature resolution</translation>
    </message>
    <message>
        <source>Auto</source>
        <translation>Auto</translation>
    </message>
    <message>
        <source>0.1</source>
        <translation>0.1</translation>
    </message>
    <message>
        <source>0.01</source>
        <translation>0.01</translation>
    </message>
</context>
<context>
    <name>mr420::HistoryDisplayDialog</name>
    <message>
        <source>Ustawienia wyświetlania historii na panelu</source>
        <translation>Panel history display settings</translation>
    </message>
    <message>
        <source>Automatycznie (pomiary, które są aktualnie zapisywane)</source>
        <translation>Automatic (the measurements being logged)</translation>
    </message>
    <message>
        <source>Temperatura 1</source>
        <translation>Temperature 1</translation>
    </message>
    <message>
        <source>Temperatura 2</source>
        <translation>Temperature 2</translation>
    </message>
    <message>
        <source>Wilgotność względna</source>
        <translation>Relative humidity</translation>
    </message>
    <message>
        <source>Ciśnienie</source>
        <translation>Pressure</translation>
    </message>
</context>
<context>
    <name>mr420::PanelInfoDialog</name>
    <message>
        <source>Informacje o panelu</source>
        <translation>Panel information</translation>
    </message>
</context>
<context>
    <name>mr420::ThresholdSlotGroups</name>
    <message>
        <source>Alarm dolny</source>
        <translation>Lower alarm</translation>
    </message>
    <message>
        <source>Alarm górny</source>
        <translation>Upper alarm</translation>
    </message>
    <message>
        <source>Temperatura 1</source>
        <translation>Temperature 1</translation>
    </message>
    <message>
        <source>Temperatura 2</source>
        <translation>Temperature 2</translation>
    </message>
    <message>
        <source>Wilgotność względna</source>
        <translation>Relative humidity</translation>
    </message>
    <message>
        <source>Ciśnienie</source>
        <translation>Pressure</translation>
    </message>
</context>
<context>
    <name>mr420::ModemThresholdsDialog</name>
    <message>
        <source>Ustawienia progów alarmowych modemu</source>
        <translation>Modem alarm threshold settings</translation>
    </message>
    <message>
        <source>Czas powtarzania alarmu</source>
        <translation>Alarm repeat time</translation>
    </message>
    <message>
        <source>h</source>
        <translation>h</translation>
    </message>
    <message>
        <source>min</source>
        <translation>min</translation>
    </message>
    <message>
        <source>Czas powtarzania alarmu zostanie zapisany z rozdzielczością 10 minut</source>
        <translation>The alarm repeat time is written in steps of 10 minutes</translation>
    </message>
    <message>
        <source>Histereza</source>
        <translation>Hysteresis</translation>
    </message>
</context>
<context>
    <name>mr420::ExceedanceDialog</name>
    <message>
        <source>Sygnalizacja przekroczeń</source>
        <translation>Exceedance signalling</translation>
    </message>
    <message>
        <source>Czas odraczania sygnalizacji alarmu</source>
        <translation>Alarm signalling deferral time</translation>
    </message>
    <message>
        <source>min</source>
        <translation>min</translation>
    </message>
</context>
<context>
    <name>mr420::BatteryAlarmDialog</name>
    <message>
        <source>Bateria</source>
        <translation>Battery</translation>
    </message>
    <message>
        <source>Alarmowanie o niskim poziomie baterii:</source>
        <translation>Low battery alarm:</translation>
    </message>
    <message>
        <source>włączone</source>
        <translation>on</translation>
    </message>
    <message>
        <source>wyłączone</source>
        <translation>off</translation>
    </message>
</context>
<context>
    <name>mr420::PowerLossDialog</name>
    <message>
        <source>Sygnalizacja zaniku zasilania</source>
        <translation>Power loss signalling</translation>
    </message>
    <message>
        <source>Alarmowanie o zaniku zasilania:</source>
        <translation>Power loss alarm:</translation>
    </message>
    <message>
        <source>włączone</source>
        <translation>on</translation>
    </message>
    <message>
        <source>wyłączone</source>
        <translation>off</translation>
    </message>
    <message>
        <source>Opóźnienie</source>
        <translation>Delay</translation>
    </message>
    <message>
        <source>minut</source>
        <translation>minutes</translation>
    </message>
</context>
<context>
    <name>mr420::MemoryDialog</name>
    <message>
        <source>Pamięć</source>
        <translation>Memory</translation>
    </message>
    <message>
        <source>Proszę czekać. Trwa odczyt zawartości pamięci.</source>
        <translation>Please wait. Reading the memory contents.</translation>
    </message>
    <message>
        <source>Zapisz jako</source>
        <translation>Save as</translation>
    </message>
    <message>
        <source>Wykres</source>
        <translation>Chart</translation>
    </message>
    <message>
        <source>Zamknij</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>Zajęte miejsce w  pamięci: 0.0%</source>
        <translation>Memory used: 0.0%</translation>
    </message>
</context>
<context>
    <name>mr420::MemorySaveDialog</name>
    <message>
        <source>Zapisz jako</source>
        <translation>Save as</translation>
    </message>
    <message>
        <source>W pliku</source>
        <translation>In file</translation>
    </message>
    <message>
        <source>Plik zostanie zapisany w formacie &apos;qvg&apos; (używany przez program Vimo)</source>
        <translation>The file will be saved in the &apos;qvg&apos; format (used by the Vimo program)</translation>
    </message>
    <message>
        <source>Separator kolumn:</source>
        <translation>Column separator:</translation>
    </message>
    <message>
        <source>Tabulator</source>
        <translation>Tab</translation>
    </message>
    <message>
        <source>Przecinek</source>
        <translation>Comma</translation>
    </message>
    <message>
        <source>Średnik</source>
        <translation>Semicolon</translation>
    </message>
    <message>
        <source>Dodaj komentarz</source>
        <translation>Add a comment</translation>
    </message>
    <message>
        <source>Dodaj numer seryjny panelu do komentarza</source>
        <translation>Add the panel serial number to the comment</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Anuluj</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Wybierz plik raportu</source>
        <translation>Choose the report file</translation>
    </message>
</context>
<context>
    <name>mr420::LoggingSettingsDialog</name>
    <message>
        <source>Ustawienia rejestracji</source>
        <translation>Logging settings</translation>
    </message>
    <message>
        <source>Zapisuj pomiary do pamięci</source>
        <translation>Log the measurements to the memory</translation>
    </message>
    <message>
        <source>Interwał rejestracji</source>
        <translation>Logging interval</translation>
    </message>
    <message>
        <source>dni</source>
        <translation>days</translation>
    </message>
    <message>
        <source>godziny</source>
        <translation>hours</translation>
    </message>
    <message>
        <source>minuty</source>
        <translation>minutes</translation>
    </message>
    <message>
        <source>Temperatura 1</source>
        <translation>Temperature 1</translation>
    </message>
    <message>
        <source>Wilgotność względna</source>
        <translation>Relative humidity</translation>
    </message>
    <message>
        <source>Punkt rosy</source>
        <translation>Dew point</translation>
    </message>
    <message>
        <source>Temperatura 2</source>
        <translation>Temperature 2</translation>
    </message>
    <message>
        <source>Ciśnienie</source>
        <translation>Pressure</translation>
    </message>
    <message>
        <source>Zawartość pary wodnej</source>
        <translation>Water vapour content</translation>
    </message>
    <message>
        <source>Zakres temperatury</source>
        <translation>Temperature range</translation>
    </message>
    <message>
        <source>Auto</source>
        <translation>Auto</translation>
    </message>
    <message>
        <source>-40...+85</source>
        <translation>-40...+85</translation>
    </message>
    <message>
        <source>-200...+550</source>
        <translation>-200...+550</translation>
    </message>
    <message>
        <source>Rozdzielczość temperatury</source>
        <translation>Temperature resolution</translation>
    </message>
    <message>
        <source>0.1</source>
        <translation>0.1</translation>
    </message>
    <message>
        <source>0.01</source>
        <translation>0.01</translation>
    </message>
    <message>
        <source>Nadpisywanie</source>
        <translation>Overwrite</translation>
    </message>
</context>
</TS>
