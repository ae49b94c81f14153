#pragma once

#include <QPointer>
#include <QUrl>
#include <QWidget>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>

#include "defaults/user_defaults.h"
#include "workflow/setup_actions.h"
#include "workflow/setup_form.h"
#include "workflow/workflow_host.h"

class QLabel;
class QMessageBox;
class QPushButton;
class QScrollArea;
class QStackedWidget;

namespace corvane {

class ActionBar;
class ClientSidebar;
class ConnectionForm;
class ElidedLabel;
class GatewayProbeControls;
class ModelForm;
class PendingAnswer;

// The one window: the client sidebar, the form of the selected client and the
// action bar. It is also the workflows' host (setup_window_host.cpp): calls
// from the worker thread are carried over to the window's thread, and a
// question blocks only the worker.
class SetupWindow : public QWidget, public WorkflowHost {
public:
    explicit SetupWindow(QWidget* parent = nullptr);
    ~SetupWindow() override;

    // The workflows behind the buttons; the window does not own them. Their
    // look at the clients' files marks the configured clients.
    void setActions(SetupActions* actions);

    // Opens download pages; the desktop's browser unless replaced. False when
    // the page could not be opened.
    void setOpenURL(std::function<bool(const QUrl&)> openURL) { openURL_ = std::move(openURL); }

    SetupForm form() const;
    Client client() const { return client_; }
    bool working() const { return working_; }
    bool failed() const { return failed_; }
    const std::string& status() const { return status_; }

    // Selecting a client in the sidebar: a different client starts a blank
    // form with the path remembered for it.
    void selectClient(Client client);

    // An import link (corvane-setup://configure?…): selects its client and
    // fills the form, writing and checking nothing; a link that cannot be
    // used says why in the status line (setup_window_link.cpp).
    void openLink(const QString& link);

    void chooseConfigurationFile();
    void submit();
    void previewSubmit();
    void confirmReset();
    void resetConfiguration(const std::optional<std::filesystem::path>& restart);
    // The stop button and Escape while a workflow runs.
    void stop();

    // Answers a pending question with "no", then asks a running task to stop
    // and waits for it. Runs when the window closes.
    void shutDown();

    // WorkflowHost; callable from any thread.
    void setStatus(const std::string& status) override;
    void setFailed(bool failed) override;
    void fail(const std::string& message, const std::string& detail) override;
    void setWorking(bool working) override;
    void clearKey() override;
    void resetForm() override;
    bool ask(const Question& question) override;
    std::optional<std::string> userDefault(const std::string& key) override;
    void setUserDefault(const std::string& key, const std::string& value) override;
    void removeUserDefault(const std::string& key) override;
    void showGatewayModels(const std::vector<GatewayModel>& models) override;
    void showModelCheck(std::size_t row, const ModelCheck& found) override;
    void showPreview(const std::string& diff) override;
    void finished(WorkflowOutcome outcome) override;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QWidget* buildHeader();
    QWidget* buildForms();
    QWidget* buildCursorGuide();

    // Runs `change` on the window's thread: at once when called there,
    // otherwise queued behind the earlier calls.
    void onWindowThread(std::function<void()> change);

    void showClient();
    void showDownloads();
    void showWorking();
    void showStatus();
    // Looks at every client's installation and files again (small local
    // files, so on this thread): after the first paint and whenever a run has
    // ended.
    void readClientLooks();
    // What the last look found for the selected client: the main button's
    // text, the configured line and the installation note.
    void showClientLooks();
    void showConfiguredLine();
    void showInstallationNote();
    // After an apply emptied the key, a button that needs it says so; true when
    // it did.
    bool keyMustBePastedAgain();
    void openDownload(const QUrl& url);
    void showQuestion(const Question& question, std::shared_ptr<PendingAnswer> answer);
    void clearForm();
    void updateTabOrder();
    void keepFocusedFieldInView(QWidget* focused);

    SetupActions* actions_ = nullptr;
    std::function<bool(const QUrl&)> openURL_;
    UserDefaults defaults_;

    Client client_ = Client::claude;
    bool working_ = false;
    bool failed_ = false;
    // The status reports a run that worked.
    bool succeeded_ = false;
    bool keyCleared_ = false;
    bool looked_ = false;
    std::string status_;
    std::map<Client, ClientConfigurationStatus> configuration_;
    std::map<Client, Installation> installations_;

    // Guards the question handed between the worker and the window.
    std::mutex questionMutex_;
    std::shared_ptr<PendingAnswer> pendingAnswer_;
    bool closing_ = false;
    QMessageBox* questionBox_ = nullptr;
    QMessageBox* resetBox_ = nullptr;

    QMetaObject::Connection focusWatch_;

    // Where the keyboard was when the form was disabled for a workflow.
    QPointer<QWidget> focusBeforeWork_;

    ClientSidebar* sidebar_;
    QLabel* clientName_ = nullptr;
    QLabel* configuredLine_ = nullptr;
    // gui.link.origin above the form, until the address changes.
    QLabel* linkLine_ = nullptr;
    ElidedLabel* installationNote_ = nullptr;
    QWidget* downloadSlot_ = nullptr;
    QWidget* downloadControl_ = nullptr;
    QScrollArea* scroll_ = nullptr;
    QStackedWidget* forms_ = nullptr;
    ConnectionForm* connection_ = nullptr;
    ModelForm* models_ = nullptr;
    GatewayProbeControls* probes_ = nullptr;
    QPushButton* previewButton_ = nullptr;
    ActionBar* actionBar_ = nullptr;
};

}  // namespace corvane
