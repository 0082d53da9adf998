<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="pt_BR">
<context>
    <name></name>
    <message id="section_general">
        <source>General</source>
        <translation>Geral</translation>
    </message>
    <message id="section_appearance">
        <source>Appearance</source>
        <translation>Aparência</translation>
    </message>
    <message id="section_history">
        <source>History</source>
        <translation>Histórico</translation>
    </message>
    <message id="section_language">
        <source>Language</source>
        <translation>Idioma</translation>
    </message>
    <message id="section_permissions">
        <source>Permissions</source>
        <translation>Permissões</translation>
    </message>
    <message id="section_about">
        <source>About</source>
        <translation>Sobre</translation>
    </message>
    <message id="preferences_general_title">
        <source>General</source>
        <translation>Geral</translation>
    </message>
    <message id="preferences_launch_at_login">
        <source>Launch at login</source>
        <translation>Iniciar com o sistema</translation>
    </message>
    <message id="preferences_rich_text_label">
        <source>Paste with formatting</source>
        <translation>Colar com formatação</translation>
    </message>
    <message id="preferences_rich_text_description">
        <source>Pastes text with its rich-text (RTF) or HTML formatting when the copy had it.</source>
        <translation>Cola o texto com a formatação (RTF ou HTML) quando a cópia a tinha.</translation>
    </message>
    <message id="preferences_click_sound">
        <source>Play a sound when pasting with a click</source>
        <translation>Tocar um som ao colar com um clique</translation>
    </message>
    <message id="shake_to_open">
        <source>Shake the mouse to open</source>
        <translation>Sacudir o mouse para abrir</translation>
    </message>
    <message id="shake_modifier_label">
        <source>Hold while shaking</source>
        <translation>Segurar ao sacudir</translation>
    </message>
    <message id="modifier_shift">
        <source>Shift</source>
        <translation>Shift</translation>
    </message>
    <message id="modifier_command">
        <source>Super</source>
        <translation>Super</translation>
    </message>
    <message id="modifier_option">
        <source>Alt</source>
        <translation>Alt</translation>
    </message>
    <message id="shake_modifier_description">
        <source>Shake the pointer left and right while holding this key to open the history.</source>
        <translation>Sacuda o ponteiro para a esquerda e para a direita segurando esta tecla para abrir o histórico.</translation>
    </message>
    <message id="empty_history_hint_with_shortcut">
        <source>Copy something, it will be here. Open this panel with %1</source>
        <translation>Copie algo e ele aparecerá aqui. Abra este painel com %1</translation>
    </message>
    <message id="empty_history_hint">
        <source>Copy something, it will be here.</source>
        <translation>Copie algo e ele aparecerá aqui.</translation>
    </message>
    <message id="search_no_match">
        <source>No item matches your search.</source>
        <translation>Nenhum item corresponde à sua busca.</translation>
    </message>
    <message id="preferences_shortcut_label">
        <source>Shortcut</source>
        <translation>Atalho</translation>
    </message>
    <message id="preferences_shortcut_description">
        <source>Click the field and press the new key combination.</source>
        <translation>Clique no campo e pressione a nova combinação.</translation>
    </message>
    <message id="preferences_shortcut_warning">
        <source>Only a letter or a digit works as the key. Press Esc to keep the current shortcut.</source>
        <translation>Só uma letra ou um número funciona como tecla. Pressione Esc para manter o atalho atual.</translation>
    </message>
    <message id="shortcut_field_placeholder">
        <source>Record shortcut</source>
        <translation>Gravar atalho</translation>
    </message>
    <message id="cancel_button_label">
        <source>Cancel</source>
        <translation>Cancelar</translation>
    </message>
    <message id="shortcut_field_help">
        <source>Click to record a new shortcut for opening the history</source>
        <translation>Clique para gravar um novo atalho para abrir o histórico</translation>
    </message>
    <message id="launch_error_title">
        <source>Could not change launch at login</source>
        <translation>Não foi possível alterar o início automático</translation>
    </message>
    <message id="launch_error_message">
        <source>Ovelin could not update its autostart entry. Check that your autostart folder can be written.</source>
        <translation>O Ovelin não conseguiu atualizar a entrada de início automático. Verifique se a pasta de início automático pode ser gravada.</translation>
    </message>
    <message id="ok_button_label">
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message id="preferences_history_title">
        <source>History</source>
        <translation>Histórico</translation>
    </message>
    <message id="preferences_history_limit_label">
        <source>Items to keep</source>
        <translation>Itens a manter</translation>
    </message>
    <message id="preferences_history_description">
        <source>Pinned items do not count toward the limit. The oldest items are removed when it is reached.</source>
        <translation>Itens fixados não contam para o limite. Os itens mais antigos são removidos quando ele é atingido.</translation>
    </message>
    <message id="preferences_history_not_saved_notice">
        <source>Ovelin could not read the history file %1 nor move it aside, so nothing you copy is saved until Ovelin is restarted. Move or repair that file, then restart Ovelin.</source>
        <translation>O Ovelin não conseguiu ler o arquivo de histórico %1 nem guardá-lo à parte, então nada do que você copiar será salvo até o Ovelin ser reiniciado. Mova ou repare esse arquivo e reinicie o Ovelin.</translation>
    </message>
    <message id="clear_history_button_title">
        <source>Clear History</source>
        <translation>Limpar histórico</translation>
    </message>
    <message id="clear_history_button_subtitle">
        <source>Removes every item, pinned ones included.</source>
        <translation>Remove todos os itens, inclusive os fixados.</translation>
    </message>
    <message id="clear_history_alert_title">
        <source>Do you really want to delete every item of the history? This cannot be undone.</source>
        <translation>Quer mesmo apagar todos os itens do histórico? Isso não pode ser desfeito.</translation>
    </message>
    <message id="clear_history_alert_cancel">
        <source>Cancel</source>
        <translation>Cancelar</translation>
    </message>
    <message id="clear_history_alert_confirm">
        <source>Clear</source>
        <translation>Limpar</translation>
    </message>
    <message id="preferences_appearance_title">
        <source>Appearance</source>
        <translation>Aparência</translation>
    </message>
    <message id="appearance_style_picker_label">
        <source>Panel style</source>
        <translation>Estilo do painel</translation>
    </message>
    <message id="appearance_option_classic">
        <source>Classic</source>
        <translation>Clássico</translation>
    </message>
    <message id="appearance_option_modern">
        <source>Modern</source>
        <translation>Moderno</translation>
    </message>
    <message id="appearance_style_description">
        <source>Classic keeps the panel at 400 × 600. Modern lets you drag its height and remembers it.</source>
        <translation>O clássico mantém o painel em 400 × 600. O moderno deixa você ajustar a altura e a memoriza.</translation>
    </message>
    <message id="appearance_window_size_title">
        <source>Panel size</source>
        <translation>Tamanho do painel</translation>
    </message>
    <message id="appearance_window_size_description">
        <source>The modern panel remembers the height you gave it.</source>
        <translation>O painel moderno memoriza a altura que você escolheu.</translation>
    </message>
    <message id="appearance_window_size_reset_button">
        <source>Reset Height</source>
        <translation>Redefinir altura</translation>
    </message>
    <message id="appearance_window_size_reset_help">
        <source>Return the panel to its default height of 600</source>
        <translation>Volta o painel à altura padrão de 600</translation>
    </message>
    <message id="preferences_language_title">
        <source>Language</source>
        <translation>Idioma</translation>
    </message>
    <message id="preferences_language_picker_label">
        <source>Interface language</source>
        <translation>Idioma da interface</translation>
    </message>
    <message id="language_option_system">
        <source>System default</source>
        <translation>Padrão do sistema</translation>
    </message>
    <message id="language_option_english">
        <source>English</source>
        <translation>English</translation>
    </message>
    <message id="language_option_portuguese">
        <source>Português</source>
        <translation>Português</translation>
    </message>
    <message id="preferences_language_note">
        <source>The change applies at once to every Ovelin window.</source>
        <translation>A mudança vale na hora para todas as janelas do Ovelin.</translation>
    </message>
    <message id="preferences_permissions_title">
        <source>Permissions</source>
        <translation>Permissões</translation>
    </message>
    <message id="permissions_accessibility_title">
        <source>Accessibility</source>
        <translation>Acessibilidade</translation>
    </message>
    <message id="permissions_accessibility_description">
        <source>Lets Ovelin press Ctrl+V for you in the application you came from (XTEST).</source>
        <translation>Permite que o Ovelin pressione Ctrl+V por você no aplicativo de onde você veio (XTEST).</translation>
    </message>
    <message id="permissions_input_monitoring_title">
        <source>Input Monitoring</source>
        <translation>Monitoramento de entrada</translation>
    </message>
    <message id="permissions_input_monitoring_description">
        <source>Lets Ovelin notice the mouse shake anywhere on the screen (XInput 2, not available under Wayland).</source>
        <translation>Permite que o Ovelin perceba a sacudida do mouse em qualquer lugar da tela (XInput 2, indisponível no Wayland).</translation>
    </message>
    <message id="permissions_request_button">
        <source>How to Enable…</source>
        <translation>Como ativar…</translation>
    </message>
    <message id="permissions_description_footer">
        <source>These are features of your X session. After enabling one, select this section again to check.</source>
        <translation>Estes são recursos da sua sessão X. Depois de ativar um, selecione esta seção de novo para verificar.</translation>
    </message>
    <message id="shake_unavailable_description">
        <source>Unavailable under Wayland: applications are not told how the pointer moves outside their own windows. Use the shortcut instead.</source>
        <translation>Indisponível no Wayland: os aplicativos não sabem como o ponteiro se move fora das próprias janelas. Use o atalho.</translation>
    </message>
    <message id="permissions_pointer_unavailable_description">
        <source>Wayland does not tell applications how the pointer moves outside their own windows, so the mouse shake cannot work here. Nothing can be enabled for it.</source>
        <translation>O Wayland não informa aos aplicativos como o ponteiro se move fora das próprias janelas, então a sacudida do mouse não funciona aqui. Não há o que ativar.</translation>
    </message>
    <message id="permissions_clipboard_title">
        <source>Clipboard Access</source>
        <translation>Acesso à área de transferência</translation>
    </message>
    <message id="permissions_clipboard_found">
        <source>The compositor lets Ovelin watch and set the clipboard in the background (data-control).</source>
        <translation>O compositor permite que o Ovelin observe e defina a área de transferência em segundo plano (data-control).</translation>
    </message>
    <message id="permissions_clipboard_missing">
        <source>This compositor offers no data-control protocol, so Ovelin cannot watch the clipboard here (GNOME and Weston today). The panel and the history you already have keep working.</source>
        <translation>Este compositor não oferece o protocolo data-control, então o Ovelin não consegue observar a área de transferência aqui (GNOME e Weston hoje). O painel e o histórico que você já tem continuam funcionando.</translation>
    </message>
    <message id="permissions_paste_title">
        <source>Paste</source>
        <translation>Colar</translation>
    </message>
    <message id="permissions_paste_found">
        <source>Ovelin presses Ctrl+V (Ctrl+Shift+V in terminals) for you through a virtual keyboard.</source>
        <translation>O Ovelin pressiona Ctrl+V (Ctrl+Shift+V em terminais) por você através de um teclado virtual.</translation>
    </message>
    <message id="permissions_paste_missing">
        <source>The compositor offers no virtual keyboard, so Ovelin cannot press the paste keys: press Ctrl+V yourself after choosing an item.</source>
        <translation>O compositor não oferece teclado virtual, então o Ovelin não consegue pressionar as teclas de colar: pressione Ctrl+V você mesmo depois de escolher um item.</translation>
    </message>
    <message id="permissions_paste_desktop_entry_missing">
        <source>KWin lets only an installed Ovelin press the paste keys and see the window in front. This copy is not the one its desktop entry names: write an entry for it, then start Ovelin again.</source>
        <translation>O KWin só deixa um Ovelin instalado pressionar as teclas de colar e ver a janela em frente. Esta cópia não é a que a entrada .desktop dele indica: crie uma entrada para ela e inicie o Ovelin de novo.</translation>
    </message>
    <message id="permissions_desktop_entry_written">
        <source>Entry written: start Ovelin again</source>
        <translation>Entrada criada: inicie o Ovelin de novo</translation>
    </message>
    <message id="permissions_desktop_entry_failed">
        <source>Could not write the entry: %1</source>
        <translation>Não foi possível criar a entrada: %1</translation>
    </message>
    <message id="permissions_desktop_entry_button">
        <source>Write Desktop Entry</source>
        <translation>Criar entrada .desktop</translation>
    </message>
    <message id="permissions_shortcut_title">
        <source>Global Shortcut</source>
        <translation>Atalho global</translation>
    </message>
    <message id="permissions_shortcut_found">
        <source>Ovelin binds its shortcut through the compositor (sway) or the desktop portal.</source>
        <translation>O Ovelin registra o atalho através do compositor (sway) ou do portal da área de trabalho.</translation>
    </message>
    <message id="permissions_shortcut_missing">
        <source>Neither the compositor nor the desktop portal binds shortcuts for Ovelin: bind the command “%1” in your desktop's keyboard settings.</source>
        <translation>Nem o compositor nem o portal da área de trabalho registram atalhos para o Ovelin: associe o comando “%1” nas configurações de teclado do seu ambiente.</translation>
    </message>
    <message id="permissions_shortcut_taken">
        <source>The desktop's own configuration already uses these keys, so Ovelin left them alone: choose another shortcut in General, or free the keys in the desktop's settings.</source>
        <translation>A configuração do próprio ambiente já usa essas teclas, e o Ovelin não as tomou: escolha outro atalho em Geral, ou libere as teclas nas configurações do ambiente.</translation>
    </message>
    <message id="permissions_placement_title">
        <source>Panel at the Pointer</source>
        <translation>Painel no ponteiro</translation>
    </message>
    <message id="permissions_placement_found">
        <source>The compositor moves the panel to the pointer (sway).</source>
        <translation>O compositor move o painel para o ponteiro (sway).</translation>
    </message>
    <message id="permissions_placement_missing">
        <source>The compositor does not let Ovelin place its window: the panel opens centred on the screen.</source>
        <translation>O compositor não deixa o Ovelin posicionar a janela: o painel abre centralizado na tela.</translation>
    </message>
    <message id="permissions_session_footer">
        <source>These are features of your Wayland compositor. After changing compositor or its settings, restart Ovelin to check again.</source>
        <translation>Estes são recursos do seu compositor Wayland. Depois de trocar de compositor ou mudar as configurações dele, reinicie o Ovelin para verificar de novo.</translation>
    </message>
    <message id="Ovelin">
        <source>Ovelin</source>
        <translation>Ovelin</translation>
    </message>
    <message id="about_description">
        <source>Your clipboard history, one shortcut away.</source>
        <translation>Seu histórico da área de transferência, a um atalho de distância.</translation>
    </message>
    <message id="check_updates_button">
        <source>Check for Updates…</source>
        <translation>Procurar atualizações…</translation>
    </message>
    <message id="check_updates_automatically">
        <source>Check for updates automatically</source>
        <translation>Procurar atualizações automaticamente</translation>
    </message>
    <message id="official_site">
        <source>Official Site</source>
        <translation>Site oficial</translation>
    </message>
    <message id="privacy_policy">
        <source>Privacy Policy</source>
        <translation>Política de privacidade</translation>
    </message>
    <message id="send_feedback">
        <source>Send Feedback</source>
        <translation>Enviar comentários</translation>
    </message>
    <message id="credits_title">
        <source>Credits</source>
        <translation>Créditos</translation>
    </message>
    <message id="credit_development">
        <source>Development: the Ovelin team</source>
        <translation>Desenvolvimento: equipe do Ovelin</translation>
    </message>
    <message id="credit_icons">
        <source>Icons: drawn for Ovelin</source>
        <translation>Ícones: desenhados para o Ovelin</translation>
    </message>
    <message id="credit_community">
        <source>Community: everyone who reports bugs and suggests ideas</source>
        <translation>Comunidade: todos que relatam erros e sugerem ideias</translation>
    </message>
    <message id="credit_special_thanks">
        <source>Special thanks: the Qt and X.Org projects</source>
        <translation>Agradecimentos especiais: aos projetos Qt e X.Org</translation>
    </message>
    <message id="about_explore_title">
        <source>Explore</source>
        <translation>Explore</translation>
    </message>
    <message id="about_explore_tintrove_title">
        <source>Tintrove</source>
        <translation>Tintrove</translation>
    </message>
    <message id="about_explore_tintrove_tagline">
        <source>Collect and organise the colours you love.</source>
        <translation>Colecione e organize as cores que você ama.</translation>
    </message>
    <message id="about_explore_learn_more">
        <source>Learn More</source>
        <translation>Saiba mais</translation>
    </message>
    <message id="update_up_to_date_title">
        <source>You're up to date</source>
        <translation>Você está atualizado</translation>
    </message>
    <message id="update_up_to_date_message">
        <source>Ovelin %1 is the newest version available.</source>
        <translation>O Ovelin %1 é a versão mais recente.</translation>
    </message>
    <message id="update_available_title">
        <source>A new version of Ovelin is available</source>
        <translation>Há uma nova versão do Ovelin</translation>
    </message>
    <message id="update_available_message">
        <source>Version %1 is available. You have version %2.</source>
        <translation>A versão %1 está disponível. Você tem a versão %2.</translation>
    </message>
    <message id="update_download_button">
        <source>Download</source>
        <translation>Baixar</translation>
    </message>
    <message id="update_later_button">
        <source>Later</source>
        <translation>Mais tarde</translation>
    </message>
    <message id="update_error_title">
        <source>Could not check for updates</source>
        <translation>Não foi possível procurar atualizações</translation>
    </message>
    <message id="update_error_message">
        <source>The update check failed: %1</source>
        <translation>A verificação de atualizações falhou: %1</translation>
    </message>
    <message id="search_placeholder">
        <source>Search</source>
        <translation>Buscar</translation>
    </message>
    <message id="copy_again">
        <source>Copy Again</source>
        <translation>Copiar novamente</translation>
    </message>
    <message id="pin_to_top">
        <source>Pin to Top</source>
        <translation>Fixar no topo</translation>
    </message>
    <message id="unpin">
        <source>Unpin</source>
        <translation>Desafixar</translation>
    </message>
    <message id="delete">
        <source>Delete</source>
        <translation>Excluir</translation>
    </message>
    <message id="resize_window_accessibility_label">
        <source>Resize window</source>
        <translation>Redimensionar janela</translation>
    </message>
    <message id="file_group_count">
        <source>%n files</source>
        <translation>%n arquivos</translation>
    </message>
    <message id="file_group_more">
        <source>+%n</source>
        <translation>+%n</translation>
    </message>
    <message id="menu_show">
        <source>Show History</source>
        <translation>Mostrar Histórico</translation>
    </message>
    <message id="menu_preferences">
        <source>Preferences…</source>
        <translation>Preferências…</translation>
    </message>
    <message id="menu_quit">
        <source>Quit Ovelin</source>
        <translation>Sair do Ovelin</translation>
    </message>
    <message id="preferences_max_item_size_label">
        <source>Largest copy to keep</source>
        <translation>Maior cópia a guardar</translation>
    </message>
    <message id="preferences_encrypt_history_label">
        <source>Encrypt the history file</source>
        <translation>Criptografar o arquivo do histórico</translation>
    </message>
    <message id="preferences_encrypt_history_caption">
        <source>The history file on disk is encrypted with a key kept in the desktop&apos;s keyring (Secret Service). Without the keyring, that session&apos;s history stays in memory and the file is left as it is.</source>
        <translation>O arquivo do histórico no disco é criptografado com uma chave guardada no chaveiro da área de trabalho (Secret Service). Sem o chaveiro, o histórico dessa sessão fica só na memória e o arquivo fica como está.</translation>
    </message>
    <message id="preferences_max_item_size_caption">
        <source>Copies larger than this are not kept in the history.</source>
        <translation>Cópias maiores que isso não são guardadas no histórico.</translation>
    </message>
    <message id="preferences_ignored_apps_label">
        <source>Ignored applications</source>
        <translation>Aplicativos ignorados</translation>
    </message>
    <message id="preferences_ignored_apps_caption">
        <source>Nothing copied in these applications is kept. Choose a running application or type its name.</source>
        <translation>Nada copiado nesses aplicativos é guardado. Escolha um aplicativo aberto ou digite o nome dele.</translation>
    </message>
    <message id="preferences_ignored_apps_placeholder">
        <source>Application name</source>
        <translation>Nome do aplicativo</translation>
    </message>
    <message id="preferences_ignored_apps_add">
        <source>Add</source>
        <translation>Adicionar</translation>
    </message>
    <message id="preferences_ignored_apps_remove">
        <source>Remove</source>
        <translation>Remover</translation>
    </message>
    <message id="tray_capture_paused">
        <source>Ovelin: capture paused</source>
        <translation>Ovelin: captura pausada</translation>
    </message>
    <message id="menu_pause_15_minutes">
        <source>Pause capture for 15 minutes</source>
        <translation>Pausar a captura por 15 minutos</translation>
    </message>
    <message id="menu_pause_1_hour">
        <source>Pause capture for 1 hour</source>
        <translation>Pausar a captura por 1 hora</translation>
    </message>
    <message id="menu_pause_until_resumed">
        <source>Pause capture until I resume it</source>
        <translation>Pausar a captura até eu retomar</translation>
    </message>
    <message id="menu_resume_capture">
        <source>Resume capture</source>
        <translation>Retomar a captura</translation>
    </message>
    <message id="sensitive_kind_private_key">
        <source>Private key</source>
        <translation>Chave privada</translation>
    </message>
    <message id="sensitive_kind_github_token">
        <source>GitHub token</source>
        <translation>Token do GitHub</translation>
    </message>
    <message id="sensitive_kind_gitlab_token">
        <source>GitLab token</source>
        <translation>Token do GitLab</translation>
    </message>
    <message id="sensitive_kind_slack_token">
        <source>Slack token</source>
        <translation>Token do Slack</translation>
    </message>
    <message id="sensitive_kind_aws_access_key">
        <source>AWS access key</source>
        <translation>Chave de acesso da AWS</translation>
    </message>
    <message id="sensitive_kind_stripe_key">
        <source>Stripe key</source>
        <translation>Chave do Stripe</translation>
    </message>
    <message id="sensitive_kind_google_api_key">
        <source>Google API key</source>
        <translation>Chave de API do Google</translation>
    </message>
    <message id="sensitive_kind_json_web_token">
        <source>JSON Web Token</source>
        <translation>Token JWT</translation>
    </message>
    <message id="sensitive_kind_bearer_token">
        <source>Bearer token</source>
        <translation>Token Bearer</translation>
    </message>
    <message id="sensitive_kind_card_number">
        <source>Card number</source>
        <translation>Número de cartão</translation>
    </message>
    <message id="reveal_secret">
        <source>Reveal</source>
        <translation>Mostrar</translation>
    </message>
    <message id="hide_secret">
        <source>Hide</source>
        <translation>Ocultar</translation>
    </message>
    <message id="preferences_sensitive_minutes_label">
        <source>Keep copied secrets for</source>
        <translation>Guardar segredos copiados por</translation>
    </message>
    <message id="preferences_sensitive_minutes_caption">
        <source>Copies holding a private key, a token or a card number stay in memory only, masked in the panel, and are forgotten after this time. 0: they are not kept at all.</source>
        <translation>Cópias com uma chave privada, um token ou um número de cartão ficam só na memória, mascaradas no painel, e são esquecidas após esse tempo. 0: não são guardadas.</translation>
    </message>
    <message id="preferences_sensitive_kinds_label">
        <source>Secrets recognised</source>
        <translation>Segredos reconhecidos</translation>
    </message>
    <message id="preferences_sensitive_kinds_caption">
        <source>A kind left unchecked is kept like any other text.</source>
        <translation>Um tipo desmarcado é guardado como qualquer outro texto.</translation>
    </message>
    <message id="gnome_extension_missing_line">
        <source>⚠️ GNOME Shell extension not found: turn it on with %1 (after a first install, log out and in again)</source>
        <translation>⚠️ Extensão do GNOME Shell não encontrada: ative com %1 (após a primeira instalação, saia da sessão e entre de novo)</translation>
    </message>
    <message id="gnome_extension_gone_line">
        <source>⚠️ The GNOME Shell extension is gone: Ovelin waits for it to come back</source>
        <translation>⚠️ A extensão do GNOME Shell saiu: o Ovelin aguarda a volta dela</translation>
    </message>
    <message id="gnome_extension_version_line">
        <source>⚠️ The GNOME Shell extension speaks interface version %1, this Ovelin %2: install the same release of both</source>
        <translation>⚠️ A extensão do GNOME Shell fala a versão de interface %1, este Ovelin a %2: instale a mesma versão dos dois</translation>
    </message>
    <message id="gnome_extension_call_failed_line">
        <source>⚠️ GNOME Shell extension: %1 failed (%2)</source>
        <translation>⚠️ Extensão do GNOME Shell: %1 falhou (%2)</translation>
    </message>
    <message id="gnome_shortcut_refused_line">
        <source>⚠️ GNOME Shell refused the shortcut %1</source>
        <translation>⚠️ O GNOME Shell recusou o atalho %1</translation>
    </message>
    <message id="permissions_extension_title">
        <source>GNOME Shell extension</source>
        <translation>Extensão do GNOME Shell</translation>
    </message>
    <message id="permissions_extension_found">
        <source>The extension ovelin@ovelin.app gives Ovelin the clipboard, the paste keys, the window in front, the panel's place and the shortcut.</source>
        <translation>A extensão ovelin@ovelin.app dá ao Ovelin a área de transferência, as teclas de colar, a janela em frente, a posição do painel e o atalho.</translation>
    </message>
    <message id="permissions_extension_missing">
        <source>Turn the extension on with %1 in a terminal. After a first install, log out and in again so that GNOME Shell finds it.</source>
        <translation>Ative a extensão com %1 em um terminal. Após a primeira instalação, saia da sessão e entre de novo para que o GNOME Shell a encontre.</translation>
    </message>
    <message id="permissions_extension_mismatch">
        <source>The extension speaks another interface version than this Ovelin: install the same release of both, then log out and in again.</source>
        <translation>A extensão fala outra versão de interface que este Ovelin: instale a mesma versão dos dois, depois saia da sessão e entre de novo.</translation>
    </message>
</context>
</TS>
